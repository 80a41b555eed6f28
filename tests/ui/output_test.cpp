// Printing that never cuts a design off, the print preview's choice, pictures saved and copied, and the zoom
// of a diagram window, under which the mouse still lands on the element under the pointer.

#include "tests/ui/editor_fixture.h"

#include "model/diagramview.h"
#include "ui/diagramarea.h"
#include "ui/printing.h"
#include "ui/qtcanvas.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace {

std::unique_ptr<TBlock> tallDesign(int count)
{
    auto root = makeRoot();
    for (int i = 0; i < count; ++i)
        statement(*root, "Schritt " + std::to_string(i));
    return root;
}

QByteArray fileBytes(const std::string& file)
{
    return QByteArray::fromStdString(readWholeFile(file));
}

int pdfPageCount(const std::string& file)
{
    return int(QString::fromLatin1(fileBytes(file))
                   .count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

using OutputTest = EditorTest;

// "Drucken" shrinks a design too large for the page onto it, as the preview does unless told to spread it.
TEST_F(OutputTest, ThePreviewShrinksOrSpreadsAndPrintsWhatItShows)
{
    start(writeDesign("lang.str", *tallDesign(300)));
    dialogs.answerPrint(QString::fromStdString(path("lang.pdf")));
    trigger("Drucken2");
    EXPECT_EQ(pdfPageCount(path("lang.pdf")), 1);
    dialogs.answerPrintPreview(TPageMode::ShrinkToFit, false);
    trigger("Druckvorschau1");
    const DialogCall* shrunk = dialogs.lastCall(DialogKind::PrintPreview);
    EXPECT_TRUE(shrunk->text.contains(QStringLiteral("verkleinert"))) << shrunk->text.toStdString();
    EXPECT_EQ(shrunk->pages, 1);

    const std::string pdf = path("verteilt.pdf");
    dialogs.answerPrintPreview(TPageMode::SplitPages, true);
    dialogs.answerPrint(QString::fromStdString(pdf));
    trigger("Druckvorschau1");
    const DialogCall spread = *dialogs.lastCall(DialogKind::PrintPreview); // a copy: the log grows
    EXPECT_TRUE(spread.text.contains(QStringLiteral("untereinander verteilt"))) << spread.text.toStdString();
    EXPECT_GT(spread.pages, 3);
    EXPECT_EQ(pdfPageCount(pdf), spread.pages);
    dialogs.answerPrintPreview(TPageMode::SplitPages, false, true);
    trigger("Druckvorschau1");
    EXPECT_GT(dialogs.lastCall(DialogKind::PrintPreview)->pages, spread.pages) << "landscape pages are lower";
    EXPECT_EQ(whole().Options->Spacing, 6);
}

// The active window's block as it looks on screen, without the mark, in each format of the dialog.
TEST_F(OutputTest, SavePictureWritesTheActiveWindowAsOnScreenWithoutMarks)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().setCurrent(at(*form->Design(), {0}));
    for (int filter : {0, 1, 2}) {
        const std::string png = path("bild" + std::to_string(filter) + ".png");
        dialogs.answerSave(QString::fromStdString(png), filter);
        trigger("AlsBildspeichern1");
        const QImage image(QString::fromStdString(png));
        EXPECT_EQ(image.size(), whole().scrollRanges() * (1 << filter));
        // The marked statement's top left corner, red on screen.
        EXPECT_EQ(image.pixel(QPoint(15, 15) * (1 << filter)), qRgb(0, 0, 0));
    }

    dialogs.answerSave(QString::fromStdString(path("bild.svg")), 3);
    trigger("AlsBildspeichern1");
    const QByteArray svg = fileBytes(path("bild.svg"));
    EXPECT_TRUE(svg.contains("<polyline"));
    EXPECT_FALSE(svg.contains("width=\"1\" height=\"1\""));
    dialogs.answerSave(QString::fromStdString(path("bild.pdf")), 4);
    trigger("AlsBildspeichern1");
    EXPECT_EQ(pdfPageCount(path("bild.pdf")), 1);
}

// Found making worksheets: pictures had the window's grey around the figures. They are white in every
// format and on the clipboard, in both modes, while the window keeps its grey.
TEST_F(OutputTest, PicturesHaveAWhiteBackgroundWhileTheWindowKeepsItsGrey)
{
    start(writeDesign("every.str", *everyKindDesign()));
    const QRgb white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(245, 245, 245);
    for (bool flowchart : {false, true}) {
        SCOPED_TRACE(flowchart ? "flowchart" : "structogram");
        trigger(flowchart ? "Flussdiagramm1" : "Struktogramm1");
        const std::string png = path(flowchart ? "fluss.png" : "strukt.png");
        dialogs.answerSave(QString::fromStdString(png), 0);
        trigger("AlsBildspeichern1");
        const QImage image(QString::fromStdString(png));
        ASSERT_FALSE(image.isNull());
        EXPECT_FALSE(image.hasAlphaChannel());
        const QPoint corners[] = {
            {1, 1}, {image.width() - 2, 1}, {1, image.height() - 2}, {image.width() - 2, image.height() - 2}};
        for (QPoint p : corners)
            EXPECT_EQ(image.pixel(p), white) << p.x() << "," << p.y();

        trigger("AlsBildkopieren1");
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        const QImage copied = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG")
                                  .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(copied.isNull());
        EXPECT_EQ(copied.pixel(1, 1), white);
        EXPECT_FALSE(data->data(QStringLiteral("image/svg+xml")).toLower().contains("#f5f5f5"));

        const std::string svg = path(flowchart ? "fluss.svg" : "strukt.svg");
        dialogs.answerSave(QString::fromStdString(svg), 3);
        trigger("AlsBildspeichern1");
        EXPECT_FALSE(fileBytes(svg).toLower().contains("#f5f5f5"));

        const QImage screen = whole().drawingWidget()->grab().toImage();
        EXPECT_EQ(screen.pixel(screen.width() - 2, screen.height() - 2), grey);
    }
}

TEST_F(OutputTest, CopyPicturePutsThePictureOnTheClipboardAsImageAndSvg)
{
    start(writeDesign("every.str", *everyKindDesign()));
    trigger("Flussdiagramm1");
    dialogs.answerSave(QString::fromStdString(path("bild.png")), 0);
    trigger("AlsBildspeichern1");
    trigger("AlsBildkopieren1");
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QImage copied = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG")
                              .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(copied, QImage(QString::fromStdString(path("bild.png"))).convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
}

// A text too wide for the printer's canvas (six million characters of the printer font, wider than the
// layout's integers reach) is not printed cut: the printout is refused, as a PNG or SVG picture is.
TEST(PrintingTest, TextTooWideToPrintWholeIsRefusedNotCut)
{
    auto root = makeRoot();
    statement(*root, std::string(6000000, 'W'));
    TDisplayOptions options;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    try {
        printBlock(pdf, TPrintJob{"Lang", *root, options, false}, TPageMode::ShrinkToFit);
        ADD_FAILURE() << "printed";
    } catch (const DesignError& error) {
        EXPECT_EQ(error.reason(), ErrorReason::ImageTooLarge);
        EXPECT_EQ(error.fileName(), "Lang");
    }
    EXPECT_EQ(options.Spacing, 6);

    // A printer job begun for it is given up: no page comes out.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("lang.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    EXPECT_THROW(printBlock(printer, TPrintJob{"Lang", *root, options, false}, TPageMode::ShrinkToFit),
                 DesignError);
    EXPECT_FALSE(QFileInfo(file).size() > 0) << "a page came out";
}

TEST_F(OutputTest, ZoomCommandsAndTheWheelZoomTheActiveWindowOnly)
{
    start(writeDesign("lang.str", *tallDesign(40)));
    whole().showMaximized();
    TDiagramArea& area = *whole().diagramArea();
    auto* line = area.findChild<QLabel*>(QStringLiteral("ZoomLine"));
    const int range = whole().scrollRanges().height();
    trigger("Vergroessern1");
    EXPECT_TRUE(line->isVisible() && line->text().contains(QStringLiteral("125 %")));
    EXPECT_EQ(area.verticalScrollBar()->maximum() + area.viewport()->height(), int(std::ceil(range * 1.25)));

    const QPoint middle = area.viewport()->rect().center();
    for (Qt::KeyboardModifiers modifiers : {Qt::ControlModifier, Qt::NoModifier}) {
        QWheelEvent wheel(middle, area.viewport()->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area.viewport(), &wheel);
        EXPECT_EQ(area.zoom().percent(), 150);
    }
    trigger("Verkleinern1");
    form->openBlockWindow(form->Design());
    trigger("Verkleinern1");
    EXPECT_EQ(form->ActiveWindow()->diagramArea()->zoom().percent(), 75);
    EXPECT_EQ(area.zoom().percent(), 125);
    form->mdiArea()->setActiveSubWindow(&whole());
    trigger("Originalgroesse1");
    EXPECT_EQ(area.zoom().percent(), 100);
    EXPECT_FALSE(line->isVisible());
}

// A layout point well inside `e`, which the window shows from its root: it and the points two pixels away
// diagonally hit `e` at 100 %.
QPoint layoutPointInside(TBlock& root, bool flowchart, TElement* e)
{
    TQtMeasureCanvas measure;
    TDisplayOptions options;
    options.RootBlock = &root;
    const TPoint origin = displayOrigin(measure.canvas(), root, options, flowchart);
    const TSize size = scrollRangesOf(measure.canvas(), root, options, flowchart);
    for (int y = 2; y < size.cy - 2; ++y) {
        for (int x = 2; x < size.cx - 2; ++x) {
            bool all = true;
            for (int d : {0, -2, 2})
                all = all && root.HitTest(measure.canvas(), origin, options, x + d, y + d) == e &&
                      root.HitTest(measure.canvas(), origin, options, x - d, y + d) == e;
            if (all)
                return {x, y};
        }
    }
    ADD_FAILURE() << "no point inside \"" << e->Text << "\"";
    return {0, 0};
}

// The window point that shows the middle of layout pixel `p` at the area's zoom and scroll position.
QPoint windowPointOf(TDiagramArea& area, QPoint p)
{
    const double f = area.zoom().factor();
    return {int((p.x() + 0.5) * f) - area.horizontalScrollBar()->value(),
            int((p.y() + 0.5) * f) - area.verticalScrollBar()->value()};
}

// At 50 % and at 300 %, scrolled, a click lands on the element under the pointer, and the mark is then
// painted where the click was. (Drags and drop marks take the same way to the element.)
TEST_F(OutputTest, ClicksAndDragsHitTheElementUnderThePointerAtEveryZoom)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().showMaximized();
    TDiagramArea& area = *whole().diagramArea();
    QWidget* view = area.viewport();
    for (bool flowchart : {false, true}) {
        trigger(flowchart ? "Flussdiagramm1" : "Struktogramm1");
        for (int percent : {50, 300}) {
            area.setZoom(percent, {0, 0});
            const double f = percent / 100.0;
            for (std::vector<int> path : {std::vector<int>{0}, {1}, {1, 1, 0}, {2}, {3}, {3, 0}, {4, 1, 0}}) {
                TElement* e = at(*form->Design(), path);
                SCOPED_TRACE(std::to_string(percent) + "% " + e->Text + (flowchart ? " flowchart" : ""));
                const QPoint p = layoutPointInside(*form->Design(), flowchart, e);
                area.horizontalScrollBar()->setValue(int(p.x() * f) - view->width() / 2);
                area.verticalScrollBar()->setValue(int(p.y() * f) - view->height() / 2);
                const QPoint click = windowPointOf(area, p);
                whole().setCurrent(nullptr);
                QTest::mouseClick(view, Qt::LeftButton, {}, click);
                EXPECT_EQ(whole().currentElement(), e);
                view->repaint();
                const QPoint shift = area.canvasShift();
                const TRect r = whole().Options->HighlightRect;
                const QPointF scroll(area.horizontalScrollBar()->value(), area.verticalScrollBar()->value());
                EXPECT_TRUE(QRectF(QPointF(r.Left + shift.x(), r.Top + shift.y()) * f - scroll,
                                   QPointF(r.Right + shift.x(), r.Bottom + shift.y()) * f - scroll)
                                .contains(click));
            }
        }
    }
}

} // namespace
