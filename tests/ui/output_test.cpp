// What leaves the editor: printing that never cuts a design off, the print preview's choice between
// shrinking and spreading, pictures saved and copied.

#include "tests/ui/editor_fixture.h"

#include "ui/errortext.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QRegularExpression>

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
    QFile in(QString::fromStdString(file));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

int pdfPageCount(const std::string& file)
{
    const QString pdf = QString::fromLatin1(fileBytes(file));
    return static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

bool hasRed(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100)
                return true;
        }
    }
    return false;
}

using OutputTest = EditorTest;

// "Drucken" has no preview to choose in: a design too large for the page is shrunk onto it.
TEST_F(OutputTest, PrintingATallDesignShrinksItOntoOnePage)
{
    start(writeDesign("lang.str", *tallDesign(300)));
    const std::string pdf = path("lang.pdf");
    dialogs.answerPrint(QString::fromStdString(pdf));
    trigger("Drucken2");
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

TEST_F(OutputTest, ThePreviewShrinksOrSpreadsAndPrintsWhatItShows)
{
    start(writeDesign("lang.str", *tallDesign(300)));
    dialogs.answerPrintPreview(TPageMode::ShrinkToFit, false);
    trigger("Druckvorschau1");
    const DialogCall* shrunk = dialogs.lastCall(DialogKind::PrintPreview);
    EXPECT_TRUE(shrunk->text.contains(QStringLiteral("verkleinert"))) << shrunk->text.toStdString();
    EXPECT_EQ(shrunk->pages, 1);

    const std::string pdf = path("verteilt.pdf");
    dialogs.answerPrintPreview(TPageMode::SplitPages, true);
    dialogs.answerPrint(QString::fromStdString(pdf));
    trigger("Druckvorschau1");
    const DialogCall* spread = dialogs.lastCall(DialogKind::PrintPreview);
    EXPECT_TRUE(spread->text.contains(QStringLiteral("untereinander verteilt")))
        << spread->text.toStdString();
    EXPECT_GT(spread->pages, 3);
    EXPECT_EQ(pdfPageCount(pdf), spread->pages);
    EXPECT_EQ(dialogs.lastCall(DialogKind::Print)->text, QStringLiteral("gesamtes Programm"));

    dialogs.answerPrintPreview(TPageMode::SplitPages, false, true);
    trigger("Druckvorschau1");
    EXPECT_GT(dialogs.lastCall(DialogKind::PrintPreview)->pages, spread->pages)
        << "landscape pages are lower";
    EXPECT_EQ(whole().Options->Spacing, 6);
    EXPECT_TRUE(whole().Options->OnScreen);

    start(writeDesign("kurz.str", *tallDesign(3)));
    dialogs.answerPrintPreview(TPageMode::SplitPages, false);
    trigger("Druckvorschau1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::PrintPreview)->text,
              QStringLiteral("Der Block passt auf eine Seite."));
    EXPECT_EQ(dialogs.lastCall(DialogKind::PrintPreview)->pages, 1);
}

// The active window's block as it looks on screen, without the mark, in each format of the dialog.
TEST_F(OutputTest, SavePictureWritesTheActiveWindowAsOnScreenWithoutMarks)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().setCurrent(at(*form->Design(), {0}));
    const QSize range = whole().scrollRanges();
    for (int filter : {0, 1, 2}) {
        const std::string png = path("bild" + std::to_string(filter) + ".png");
        dialogs.answerSave(QString::fromStdString(png), filter);
        trigger("AlsBildspeichern1");
        const QImage image(QString::fromStdString(png));
        EXPECT_EQ(image.size(), range * (1 << filter));
        EXPECT_FALSE(hasRed(image));
    }
    EXPECT_EQ(dialogs.lastCall(DialogKind::Save)->defaultExtension, QStringLiteral("png"));
    EXPECT_TRUE(dialogs.lastCall(DialogKind::Save)->filter.startsWith(QStringLiteral("PNG-Bild 100 %")));

    dialogs.answerSave(QString::fromStdString(path("bild.svg")), 3);
    trigger("AlsBildspeichern1");
    const QByteArray svg = fileBytes(path("bild.svg"));
    EXPECT_TRUE(svg.contains("<polyline"));
    EXPECT_FALSE(svg.contains("width=\"1\" height=\"1\""));
    dialogs.answerSave(QString::fromStdString(path("bild.pdf")), 4);
    trigger("AlsBildspeichern1");
    EXPECT_EQ(pdfPageCount(path("bild.pdf")), 1);

    const std::string unknown = path("bild.gif");
    dialogs.answerSave(QString::fromStdString(unknown), 0);
    dialogs.acknowledgeError();
    trigger("AlsBildspeichern1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text,
              errorText(DesignError(ErrorReason::UnknownOutputFormat, unknown)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(unknown)));

    // A block window: only its block.
    whole().setCurrent(at(*form->Design(), {3}));
    trigger("BlockinneuemFensteranzeigen1");
    dialogs.answerSave(QString::fromStdString(path("teil.png")), 0);
    trigger("AlsBildspeichern1");
    EXPECT_EQ(QImage(QString::fromStdString(path("teil.png"))).size(), form->ActiveWindow()->scrollRanges());
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
    ASSERT_TRUE(data->hasImage());
    const QImage copied = qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(copied, QImage(QString::fromStdString(path("bild.png"))).convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
}

} // namespace
