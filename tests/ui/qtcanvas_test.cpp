// The Qt canvas's conventions, pixel by pixel on a QImage: rectangles cover L..R-1 and T..B-1, lines leave
// out their end point, text stands at its top-left corner on the brush colour; the fonts; the extent cache;
// the painted area; and that a paint of part of the window gives the same pixels there as a full paint.

#include "model/diagramview.h"
#include "model/displayoptions.h"
#include "model/struktteile.h"
#include "tests/support/designs.h"
#include "ui/cp1252.h"
#include "ui/qtcanvas.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>

namespace {

constexpr QRgb kBackground = qRgb(10, 200, 10);

struct Surface
{
    QImage image;
    QPainter painter;
    TQtCanvas canvas;

    explicit Surface(int w = 40, int h = 40, QFont font = screenFont())
        : image(fill(w, h)), painter(&image), canvas(painter, font)
    {
    }
    static QImage fill(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(kBackground);
        return image;
    }
    QImage done()
    {
        painter.end();
        return image;
    }
};

// The set of painted pixels (those that differ from the background).
std::set<std::pair<int, int>> painted(const QImage& image)
{
    std::set<std::pair<int, int>> result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kBackground)
                result.insert({x, y});
        }
    }
    return result;
}

TEST(QtCanvas, RectangleCoversLeftToRightMinusOne)
{
    Surface s;
    s.canvas.setPenColor(clBlack);
    s.canvas.setBrushColor(clWhite);
    s.canvas.rectangle(2, 3, 7, 9);
    const QImage image = s.done();
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 8;
            const bool border = inside && (x == 2 || x == 6 || y == 3 || y == 8);
            const QRgb expected = border ? qRgb(0, 0, 0) : inside ? qRgb(255, 255, 255) : kBackground;
            EXPECT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(QtCanvas, ClearBrushLeavesTheInside)
{
    Surface s;
    s.canvas.setPenColor(clRed);
    s.canvas.setBrushStyle(TBrushStyle::Clear);
    s.canvas.rectangle(2, 2, 8, 8);
    const QImage image = s.done();
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(7, 7), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 4), kBackground);
    EXPECT_EQ(image.pixel(8, 8), kBackground);
}

TEST(QtCanvas, LinesLeaveOutTheirEndPoint)
{
    struct Case
    {
        const char* name;
        TPoint from;
        TPoint to;
    } cases[] = {
        {"right", {2, 5}, {8, 5}}, {"left", {8, 5}, {2, 5}},          {"down", {5, 2}, {5, 9}},
        {"up", {5, 9}, {5, 2}},    {"diagonal", {1, 1}, {7, 7}},      {"steep", {3, 1}, {5, 9}},
        {"flat", {1, 8}, {9, 6}},  {"back diagonal", {8, 1}, {2, 7}},
    };
    for (const Case& c : cases) {
        Surface s(12, 12);
        s.canvas.setPenColor(clBlack);
        s.canvas.line(c.from.x, c.from.y, c.to.x, c.to.y);
        const auto pixels = painted(s.done());
        const int steps = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
        EXPECT_EQ(static_cast<int>(pixels.size()), steps) << c.name;
        EXPECT_TRUE(pixels.count({c.from.x, c.from.y})) << c.name;
        EXPECT_FALSE(pixels.count({c.to.x, c.to.y})) << c.name;
    }
}

TEST(QtCanvas, PolylinePaintsEveryPointButTheLast)
{
    Surface s(12, 12);
    s.canvas.setPenColor(clBlack);
    s.canvas.polyline({{1, 1}, {6, 1}, {6, 6}, {2, 6}});
    const auto pixels = painted(s.done());
    EXPECT_EQ(pixels.size(), 5u + 5u + 4u);
    EXPECT_TRUE(pixels.count({6, 1}));
    EXPECT_TRUE(pixels.count({6, 6}));
    EXPECT_FALSE(pixels.count({2, 6}));
}

TEST(QtCanvas, TextStandsAtItsTopLeftOnTheBrushColour)
{
    Surface s(80, 30);
    s.canvas.setBrushColor(0x00FFFF); // yellow
    s.canvas.setFontColor(clBlack);
    const TSize extent = s.canvas.textExtent("ja");
    s.canvas.textOut(5, 4, "ja");
    const QImage image = s.done();
    int glyph = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool box = x >= 5 && x < 5 + extent.cx && y >= 4 && y < 4 + extent.cy;
            const QRgb p = image.pixel(x, y);
            if (!box) {
                // Only a glyph's overhang (the hook of the j) may reach one column beside the box.
                const bool beside = (x == 4 || x == 5 + extent.cx) && y >= 4 && y < 4 + extent.cy;
                if (!beside) {
                    EXPECT_EQ(p, kBackground) << x << "," << y;
                }
                continue;
            }
            if (p != qRgb(255, 255, 0))
                ++glyph;
            // Black text smoothed onto yellow: shades between the two.
            EXPECT_EQ(qRed(p), qGreen(p)) << x << "," << y;
            EXPECT_EQ(qBlue(p), 0) << x << "," << y;
        }
    }
    EXPECT_GT(glyph, 5);
}

TEST(QtCanvas, TextOnAClearBrushKeepsTheBackground)
{
    Surface s(80, 30);
    s.canvas.setBrushStyle(TBrushStyle::Clear);
    s.canvas.setFontColor(clRed);
    s.canvas.textOut(5, 4, "ja");
    const QImage image = s.done();
    EXPECT_EQ(image.pixel(5, 4), kBackground);
    bool red = false;
    for (const auto& [x, y] : painted(image))
        red = red || qRed(image.pixel(x, y)) > 200;
    EXPECT_TRUE(red);
}

TEST(QtCanvas, DottedPenLeavesGaps)
{
    Surface s(40, 10);
    s.canvas.setPenStyle(TPenStyle::Dotted);
    s.canvas.setPenColor(clGray);
    s.canvas.line(2, 5, 32, 5);
    const auto pixels = painted(s.done());
    EXPECT_GT(pixels.size(), 5u);
    EXPECT_LT(pixels.size(), 25u);
    for (const auto& [x, y] : pixels) {
        EXPECT_EQ(y, 5);
        EXPECT_GE(x, 2);
        EXPECT_LT(x, 32);
    }
}

TEST(QtCanvas, WidePenIsThreeRowsThick)
{
    Surface s(20, 20);
    s.canvas.setPenWidth(3);
    s.canvas.line(4, 10, 14, 10);
    const QImage image = s.done();
    EXPECT_EQ(image.pixel(9, 9), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(9, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(9, 11), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(9, 13), kBackground);
}

TEST(QtCanvas, PolygonAndEllipseStayInTheirBounds)
{
    Surface s(30, 30);
    s.canvas.setBrushColor(clWhite);
    s.canvas.polygon({{10, 2}, {18, 10}, {10, 18}, {2, 10}});
    s.canvas.ellipse(20, 20, 25, 25);
    const QImage image = s.done();
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(10, 2), qRgb(0, 0, 0));
    for (const auto& [x, y] : painted(image)) {
        const bool inDiamond = std::abs(x - 10) + std::abs(y - 10) <= 8;
        const bool inEllipse = x >= 20 && x <= 24 && y >= 20 && y <= 24;
        EXPECT_TRUE(inDiamond || inEllipse) << x << "," << y;
    }
    EXPECT_NE(image.pixel(22, 20), kBackground);
}

// On a device with several device pixels to a drawing pixel (a high-resolution screen, zoom, a picture at
// 200 %): rectangle edges are whole device pixels wide all along and the fill shows nowhere outside them;
// a slanted line leaves no device row out.
TEST(QtCanvas, ScaledLinesAreContinuousAndOfOneWidth)
{
    for (double ratio : {1.25, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        const int side = int(std::ceil(60 * ratio));
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(kBackground);
        image.setDevicePixelRatio(ratio);
        {
            QPainter painter(&image);
            TQtCanvas canvas(painter, screenFont());
            canvas.rectangle(5, 5, 45, 40);
            canvas.line(50, 5, 58, 45);
        }
        const int width = int(std::lround(ratio));
        const auto black = [&](int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
        for (int x = int(10 * ratio); x < int(40 * ratio); ++x) {
            int top = 0;
            for (int y = 0; y < int(20 * ratio); ++y)
                top += black(x, y) ? 1 : 0;
            EXPECT_EQ(top, width) << "column " << x;
        }
        for (int y = int(10 * ratio); y < int(35 * ratio); ++y) {
            std::vector<int> edges;
            for (int x = 0; x < int(48 * ratio); ++x) {
                if (black(x, y))
                    edges.push_back(x);
            }
            ASSERT_EQ(int(edges.size()), 2 * width) << "row " << y;
            EXPECT_EQ(image.pixel(edges.front() - 1, y), kBackground) << "row " << y;
            EXPECT_EQ(image.pixel(edges.back() + 1, y), kBackground) << "row " << y;
            bool slanted = false;
            for (int x = int(49 * ratio); x < side; ++x)
                slanted = slanted || image.pixel(x, y) != kBackground;
            EXPECT_TRUE(slanted) << "row " << y;
        }
    }
}

// A figure that runs past the painted area is cut there, not closed by an edge of its own: on a printed
// page such an edge lands on the paper beyond the printable area, and a cut-off printout looks complete.
TEST(QtCanvas, AFigureRunningPastThePaintedAreaGetsNoFalseEdge)
{
    for (int penWidth : {1, 3}) {
        QBuffer svg;
        svg.open(QIODevice::WriteOnly);
        {
            QSvgGenerator generator;
            generator.setOutputDevice(&svg);
            generator.setSize(QSize(60, 100));
            generator.setViewBox(QRect(0, 0, 60, 100));
            QPainter painter(&generator);
            TQtCanvas canvas(painter, screenFont());
            canvas.setPenWidth(penWidth);
            canvas.rectangle(5, 5, 50, 1000);
        }
        // Everything the file holds, also what lies below its page.
        QSvgRenderer renderer(svg.data());
        renderer.setViewBox(QRectF(0, 0, 60, 300));
        QImage image(60, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        EXPECT_LT(qGray(image.pixel(5, 95)), 128) << penWidth;
        for (int y = 100; y < 300; ++y) {
            for (int x = 12; x < 44; ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << penWidth << ": " << x << "," << y;
        }
    }
}

TEST(QtCanvas, ScreenFontHasTheHeightThirteen)
{
    Surface s;
    EXPECT_EQ(s.canvas.textExtent("ja").cy, 13);
    EXPECT_EQ(s.canvas.textExtent("").cy, 13);
    EXPECT_EQ(s.canvas.textExtent("").cx, 0);
    EXPECT_GT(s.canvas.textExtent("nein").cx, s.canvas.textExtent("ja").cx);
    // An installed font, not the platform's last resort.
    const QFont font = screenFont();
    EXPECT_TRUE(QFontDatabase::families().contains(QFontInfo(font).family())) << font.family().toStdString();
}

TEST(QtCanvas, PrinterFontIsTimesTwelvePoint)
{
    const QFont font = printerFont();
    EXPECT_EQ(font.pointSize(), 12);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family == QLatin1String("Times New Roman") || family == QLatin1String("Liberation Serif"))
        << family.toStdString();
    // At 300 dpi twelve points are 50 pixels: the text is about that high.
    QImage page(10, 10, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    QPainter painter(&page);
    TQtCanvas canvas(painter, font);
    EXPECT_GE(canvas.textExtent("ja").cy, 50);
    EXPECT_LE(canvas.textExtent("ja").cy, 62);
}

TEST(QtCanvas, ExtentsAreTheSameFromEveryCanvasWithTheFont)
{
    const std::string text = "Anweisung \x80\xe4"; // euro sign, a-umlaut
    TSize first;
    {
        Surface s;
        first = s.canvas.textExtent(text);
    }
    TQtMeasureCanvas measure;
    EXPECT_EQ(measure.canvas().textExtent(text), first);
    EXPECT_EQ(measure.canvas().textExtent(text), first);
    EXPECT_NE(measure.canvas().textExtent(text + "x"), first);
}

TEST(QtCanvas, WindowColourAndPaintArea)
{
    Surface s(50, 30);
    EXPECT_EQ(s.canvas.windowColor(), fromQColor(QGuiApplication::palette().color(QPalette::Base)));
    EXPECT_EQ(s.canvas.paintArea(), (TRect{0, 0, 50, 30}));
    QImage image(50, 30, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.translate(-10, -100);
    painter.setClipRect(QRect(12, 105, 20, 10));
    TQtCanvas clipped(painter, screenFont());
    EXPECT_EQ(clipped.paintArea(), (TRect{12, 105, 32, 115}));
}

TEST(QtCanvas, ColourConversion)
{
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0xD8E9EC), QColor(236, 233, 216));
    EXPECT_EQ(fromQColor(QColor(1, 2, 3)), 0x030201u);
}

// Pixels of a paint of the whole window against a paint of only `region` (the painter clipped to it, as
// a window's paint event is), inside `region`.
void expectSamePixels(TBlock& root, bool flowchart, TElement* marked, QRect region)
{
    TQtMeasureCanvas measure;
    TDisplayOptions options;
    options.AddMarked(marked);
    const TSize size = scrollRangesOf(measure.canvas(), root, options, flowchart);
    const TPoint origin = displayOrigin(measure.canvas(), root, options, flowchart);
    auto paint = [&](const QRect* clip) {
        QImage image(size.cx, size.cy, QImage::Format_RGB32);
        image.fill(toQColor(kWindowFill));
        QPainter painter(&image);
        if (clip)
            painter.setClipRect(*clip);
        TQtCanvas canvas(painter, screenFont());
        paintDiagram(canvas, root, origin, options, flowchart);
        return image;
    };
    const QImage full = paint(nullptr);
    const TRect highlight = options.HighlightRect;
    options.HighlightRect = TRect{};
    const QImage part = paint(&region);
    EXPECT_EQ(options.HighlightRect, highlight);
    int differing = 0;
    const QRect inside = region & QRect(0, 0, size.cx, size.cy);
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(full.constScanLine(y)) + inside.left();
        const auto* b = reinterpret_cast<const QRgb*>(part.constScanLine(y)) + inside.left();
        differing += std::memcmp(a, b, std::size_t(inside.width()) * sizeof(QRgb)) != 0;
    }
    EXPECT_EQ(differing, 0);
}

TEST(QtCanvas, PartOfTheWindowPaintsLikeTheWhole)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 rng(seed);
        GeneratorOptions generator;
        generator.maxDepth = 3;
        generator.maxSequence = 5;
        std::unique_ptr<TBlock> root = generateDesign(rng, generator);
        for (int i = 0; i < 10; ++i)
            root->appendChain(TAnweisung::Create("Anweisung " + std::to_string(i)));
        TElement* marked = root->FirstChild.get();
        for (bool flowchart : {false, true}) {
            TQtMeasureCanvas measure;
            TDisplayOptions options;
            const TSize size = scrollRangesOf(measure.canvas(), *root, options, flowchart);
            SCOPED_TRACE("seed " + std::to_string(seed) + (flowchart ? " flowchart" : " structogram"));
            expectSamePixels(*root, flowchart, marked, QRect(0, size.cy / 3, size.cx, size.cy / 4));
            expectSamePixels(*root, flowchart, marked, QRect(size.cx / 2, 0, size.cx / 3, size.cy));
        }
    }
}

} // namespace

namespace {

TEST(ExtentCache, FindsEveryTextItWasGivenAndNoOther)
{
    TExtentCache cache;
    EXPECT_EQ(cache.find("a"), nullptr);
    std::vector<std::string> texts;
    for (int i = 0; i < 5000; ++i)
        texts.push_back(std::string(std::size_t(i % 40), 'x') + std::to_string(i));
    texts.push_back("");
    texts.push_back(std::string("nul\0byte", 8));
    for (std::size_t i = 0; i < texts.size(); ++i)
        cache.insert(texts[i], TSize{int(i), int(i % 7)});
    cache.insert(texts[3], TSize{-1, -1}); // a text already there keeps its extent
    EXPECT_EQ(cache.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const TSize* found = cache.find(texts[i]);
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(*found, (TSize{int(i), int(i % 7)})) << i;
    }
    // Backwards, and with short texts asked in between, as the labels of the figures are.
    for (std::size_t i = texts.size(); i-- > 0;) {
        ASSERT_NE(cache.find(texts[i]), nullptr) << i;
        EXPECT_EQ(cache.find(texts[i])->cx, int(i)) << i;
        EXPECT_EQ(cache.find(texts[i % 10])->cx, int(i % 10)) << i;
    }
    EXPECT_EQ(cache.find("nul"), nullptr);
    EXPECT_EQ(cache.find("x12"), nullptr);
    EXPECT_EQ(cache.find(texts[100] + "x"), nullptr);
    cache.clear();
    EXPECT_EQ(cache.find(texts[0]), nullptr);
}

} // namespace

namespace {

// Adding up advances and pair extras must give the toolkit's own width for every text, ligatures, control
// characters and umlauts included, in the screen font and the printer font.
TEST(ExtentCache, AddedUpWidthsAreTheToolkitsWidths)
{
    QImage image(8, 8, QImage::Format_RGB32);
    std::mt19937 rng(3);
    const std::string alphabet =
        std::string("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") +
        " =+-*/()<>[]{};.,:'\"!?%&_\t\xe4\xf6\xfc\xdf\x80\x85\x93" + "fifflfft";
    for (const QFont& font : {screenFont(), printerFont()}) {
        TExtentCache cache(font, &image);
        const QFontMetrics metrics(font, &image);
        SCOPED_TRACE(font.family().toStdString() + (cache.addsUp() ? " adds up" : " measured whole"));
        // The fonts the project installs are shaped pair by pair, so their texts are added up.
        if (font.family().startsWith(QStringLiteral("DejaVu")) ||
            font.family().startsWith(QStringLiteral("Liberation"))) {
            EXPECT_TRUE(cache.addsUp());
        }
        for (int i = 0; i < 3000; ++i) {
            std::string text;
            for (int n = std::uniform_int_distribution<int>(0, 30)(rng); n > 0; --n)
                text.push_back(
                    alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)]);
            ASSERT_EQ(cache.extent(text),
                      (TSize{metrics.horizontalAdvance(fromCp1252(text)), metrics.height()}))
                << text;
        }
    }
}

// A text of four million characters (wide ones), beyond what the toolkit measures in one go: it measures as
// wide as its pieces together, and its end is drawn where that width puts it, black on white.
TEST(QtCanvas, TextsOfAnyLengthMeasureAndDrawWhole)
{
    const std::string piece(65536, 'W');
    std::string text;
    for (int i = 0; i < 61; ++i)
        text += piece;
    Surface s(200, 20);
    const int width = s.canvas.textExtent(text).cx;
    EXPECT_EQ(width, 61 * s.canvas.textExtent(piece).cx);
    s.canvas.setBrushStyle(TBrushStyle::Clear);
    s.canvas.textOut(150 - width, 0, text);
    const auto pixels = painted(s.done()); // ordered by column
    ASSERT_GT(pixels.size(), 20u);
    EXPECT_GE(pixels.begin()->first, 0);
    EXPECT_GE(pixels.rbegin()->first, 140);
    EXPECT_LE(pixels.rbegin()->first, 150);
}

} // namespace
