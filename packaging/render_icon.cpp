// Build tool: renders the application icon's SVG as a square PNG.
//   render_icon SOURCE.svg SIZE OUTPUT.png
// Qt's own SVG renderer draws it, so the build needs no converter besides Qt.

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("Aufruf: render_icon QUELLE.svg GRÖSSE AUSGABE.png\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    bool sizeOk = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&sizeOk);
    if (!renderer.isValid() || !sizeOk || size <= 0) {
        std::fprintf(stderr, "render_icon: %s kann nicht gezeichnet werden\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "render_icon: %s kann nicht geschrieben werden\n", argv[3]);
        return 1;
    }
    return 0;
}
