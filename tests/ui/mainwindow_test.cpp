// The main window and its design-wide commands: start-up, menus and tool bars, new, load, save, print,
// export, clipboard, the drawing mode, the block commands and the question before work is thrown away.

#include "tests/ui/editor_fixture.h"

#include "model/diagramview.h"
#include "model/javaexport.h"
#include "model/texts.h"
#include "parser/interpret.h"
#include "runtime/reference.h"
#include "tests/support/designs.h"
#include "ui/cp1252.h"
#include "ui/diagramarea.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/helpwindow.h"
#include "ui/printpreview.h"
#include "ui/qtcanvas.h"
#include "ui/runcontroller.h"
#include "ui/settings.h"
#include "ui/uitexts.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMap>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string readFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

QString filesMessage(ErrorReason reason, const std::string& file)
{
    return errorText(DesignError(reason, file));
}

QStringList visibleButtons(const QToolBar* bar)
{
    QStringList names;
    for (QAction* a : bar->actions()) {
        if (a->isVisible())
            names << a->objectName();
    }
    return names;
}

int pdfPageCount(const std::string& file)
{
    const QString pdf = QString::fromLatin1(QByteArray::fromStdString(readFile(file)));
    return static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

TEST_F(EditorTest, StartsWithoutArgumentsOnANewDesign)
{
    start();
    ASSERT_EQ(form->diagramWindows().size(), 1);
    EXPECT_EQ(form->ActiveWindow(), &whole());
    EXPECT_EQ(whole().windowTitle(), QStringLiteral("gesamtes Programm"));
    EXPECT_EQ(whole().ShownBlock, form->Design());
    EXPECT_FALSE(whole().FreeOnClose);
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
    EXPECT_FALSE(form->flowchartMode());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Unbenannt — Struktogramm — Struktogramm-Editor"));
    EXPECT_TRUE(form->ToolBar2->isVisible());
    EXPECT_FALSE(form->ToolBar1->isVisible());
    EXPECT_EQ(form->document().undoHistory().snapshotCount(), 0);
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(dialogs.calls().size(), 0u);
}

// An ambiguous shortcut does nothing at all in Qt, so every key sequence belongs to one item; and the
// repeat-until kind, which comes into a design only through a file, is offered nowhere.
TEST_F(EditorTest, ShortcutsAreUniqueAndRepeatUntilIsNeverOffered)
{
    start();
    QMap<QString, QString> owners;
    for (QAction* a : form->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        const QString keys = a->shortcut().toString();
        EXPECT_FALSE(owners.contains(keys)) << keys.toStdString() << ": " << owners.value(keys).toStdString()
                                            << " and " << a->objectName().toStdString();
        owners.insert(keys, a->objectName());
    }
    EXPECT_GE(owners.size(), 7);
    QList<QAction*> offered = form->findChildren<QAction*>();
    offered += whole().PopupMenu1->findChildren<QAction*>();
    for (QAction* a : offered) {
        if (a->objectName().contains(QStringLiteral("RepeatUntil"))) {
            EXPECT_FALSE(a->isVisible()) << a->objectName().toStdString();
        }
        if (a->objectName().contains(QStringLiteral("DoWhileSchleife"))) {
            EXPECT_TRUE(a->isVisible()) << a->objectName().toStdString();
        }
    }
}

// The number of pixels in which two pictures clearly differ: dark in one, light or empty in the other.
int clearlyDiffering(const QImage& a, const QImage& b)
{
    const auto dark = [](QRgb p) { return qAlpha(p) > 128 && qGray(p) < 128; };
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += dark(a.pixel(x, y)) != dark(b.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

// Each tool bar shows its five kinds in pictures that tell them apart at a glance, on a screen of normal
// and of double resolution, where the picture is drawn for the resolution and not enlarged.
TEST_F(EditorTest, ToolBarsShowFiveDifferentPicturesEach)
{
    start();
    EXPECT_EQ(visibleButtons(form->ToolBar2), QStringList({"BAnweisung2", "BIfAnweisung2", "BWhileSchleife2",
                                                           "BForSchleife2", "BDoWhileSchleife2"}));
    EXPECT_EQ(visibleButtons(form->ToolBar1), QStringList({"BAnweisung", "BIfAnweisung", "BWhileSchleife",
                                                           "BForSchleife", "BDoWhileSchleife"}));
    for (qreal ratio : {1.0, 2.0}) {
        for (QToolBar* bar : {form->ToolBar1, form->ToolBar2}) {
            for (const QString& a : visibleButtons(bar)) {
                const QPixmap picture = action(qPrintable(a))->icon().pixmap(QSize(50, 25), ratio);
                EXPECT_EQ(picture.size(), QSize(50, 25) * ratio);
                for (const QString& b : visibleButtons(bar)) {
                    const QImage other = action(qPrintable(b))->icon().pixmap(QSize(50, 25), ratio).toImage();
                    EXPECT_GE(clearlyDiffering(picture.toImage(), other), a == b ? 0 : 20 * ratio * ratio)
                        << a.toStdString() << " and " << b.toStdString() << " at " << ratio;
                }
            }
        }
    }
}

// The program's title names it to the desktop but stays out of the captions: the toolkit appends a
// display name to the caption of every top-level window, so "Zählschleife" would read
// "Zählschleife — Struktogramm-Editor".
TEST(StartUpTest, TheApplicationTitleLeavesWindowCaptionsAlone)
{
    const QString before = QCoreApplication::applicationName();
    setApplicationTitle();
    EXPECT_EQ(QCoreApplication::applicationName(), uitexts::appTitle());
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("probe")) << "a fixed display name";
    QCoreApplication::setApplicationName(before);
}

TEST_F(EditorTest, StartsWithTheDesignNamedByTheArgument)
{
    const std::unique_ptr<TBlock> design = everyKindDesign();
    const std::string file = writeDesign("start.str", *design);
    start(file);
    EXPECT_EQ(dump(), dumpTree(*design));
    EXPECT_EQ(whole().windowTitle(), QStringLiteral("gesamtes Programm"));
    EXPECT_EQ(dialogs.calls().size(), 0u);
}

TEST_F(EditorTest, StartWithAMissingFileSaysSoAndStartsANewDesign)
{
    const std::string missing = path("fehlt.str");
    dialogs.acknowledgeInformation();
    start(missing);
    ASSERT_EQ(dialogs.callCount(DialogKind::Information), 1);
    EXPECT_EQ(dialogs.lastCall(DialogKind::Information)->text,
              filesMessage(ErrorReason::CannotOpenFile, missing));
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
    EXPECT_EQ(form->diagramWindows().size(), 1);
    EXPECT_EQ(whole().windowTitle(), QStringLiteral("gesamtes Programm"));
}

TEST_F(EditorTest, StartWithAnUnreadableFileShowsTheReadErrorAndStartsANewDesign)
{
    const std::string file = path("kaputt.str");
    std::ofstream(file, std::ios::binary) << "B:gesamtes Programm\x01"
                                             "A:abgebrochen";
    dialogs.acknowledgeError();
    start(file);
    ASSERT_EQ(dialogs.callCount(DialogKind::Error), 1);
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text,
              QStringLiteral("Datei „%1“ ist kein Struktogramm.").arg(QString::fromStdString(file)));
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
}

// New replaces the design whatever state the block windows are in.
TEST_F(EditorTest, NewClosesBlockWindowsAndShowsTheNewDesign)
{
    enum class State { BlockWindowActive, WholeWindowActive, WholeWindowMinimised };
    for (State state : {State::BlockWindowActive, State::WholeWindowActive, State::WholeWindowMinimised}) {
        SCOPED_TRACE(static_cast<int>(state));
        start(writeDesign("every.str", *everyKindDesign()));
        whole().setCurrent(at(*form->Design(), {3}));
        trigger("BlockinneuemFensteranzeigen1");
        ASSERT_EQ(form->diagramWindows().size(), 2);
        TForm1* block = form->diagramWindows()[1];
        EXPECT_EQ(block->windowTitle(), QStringLiteral("Teil"));
        EXPECT_EQ(form->ActiveWindow(), block);
        whole().setCurrent(at(*form->Design(), {1}));
        whole().Options->ToggleCollapsed(form->Design());
        if (state == State::WholeWindowActive)
            form->mdiArea()->setActiveSubWindow(&whole());
        if (state == State::WholeWindowMinimised)
            whole().showMinimized();

        trigger("Neu1");
        settle();
        ASSERT_EQ(form->diagramWindows().size(), 1);
        EXPECT_EQ(whole().ShownBlock, form->Design());
        EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
        EXPECT_EQ(whole().Options->markedCount(), 0);
        EXPECT_EQ(whole().Options->collapsedCount(), 0);
        EXPECT_EQ(whole().windowTitle(), QStringLiteral("gesamtes Programm"));
        EXPECT_EQ(form->document().parkedCount(), 0);
        finish();
    }
}

TEST_F(EditorTest, SaveThenLoadReadsTheDesignBack)
{
    std::mt19937 rng(5);
    const std::unique_ptr<TBlock> design = generateDesign(rng);
    start(writeDesign("generated.str", *design));
    const std::string saved = path("kopie.str");
    dialogs.answerSave(QString::fromStdString(saved));
    trigger("Struktogrammspeichern1");
    const DialogCall* call = dialogs.lastCall(DialogKind::Save);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->filter, QStringLiteral("Struktogramme (*.str)|*.str|Alle Dateien|*.*"));
    EXPECT_EQ(call->defaultExtension, QStringLiteral("str"));
    // The dialog proposes the file the design came from, and next time the one it was saved to.
    EXPECT_EQ(call->text, QString::fromStdString(path("generated.str")));
    EXPECT_EQ(readFile(saved), saveDesign(*form->Design()));
    dialogs.answerSave(QString());
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Save)->text, QString::fromStdString(saved));

    trigger("Neu1");
    whole().setCurrent(form->Design());
    form->document().takeSnapshot();
    form->document().markSaved();
    form->openBlockWindow(form->Design());
    dialogs.answerOpen(QString::fromStdString(saved));
    trigger("Struktogrammladen1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Open)->filter,
              QStringLiteral("Struktogramme (*.str)|*.str|Alle Dateien|*.*"));
    settle();
    EXPECT_EQ(dump(), dumpTree(*design));
    EXPECT_EQ(form->document().undoHistory().snapshotCount(), 0);
    EXPECT_EQ(form->diagramWindows().size(), 1);
    EXPECT_EQ(whole().ShownBlock, form->Design());
    EXPECT_FALSE(form->document().isModified());
}

// A new design is in no file yet: nothing to propose.
TEST_F(EditorTest, SavingANewDesignProposesNoName)
{
    start();
    dialogs.answerSave(QString());
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Save)->text, QString());
}

// Found when closing with unsaved changes while typing a name elsewhere: a key typed as "Änderungen
// speichern?" appeared answered it. Typing that began before the box reaches none of its buttons, also
// not their mnemonics; after a pause the mnemonics answer.
TEST(QuestionBoxTest, TypingThatBeganBeforeTheBoxDoesNotAnswerIt)
{
    QWidget parent;
    parent.show();
    TQtDialogService qt;
    bool openWhileTyping = false;
    QTimer::singleShot(0, [&openWhileTyping] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_J);
            QTest::keyClick(box, Qt::Key_J, Qt::AltModifier);
            QTest::keyClick(box, Qt::Key_N);
            QTest::qWait(100);
        }
        openWhileTyping = box->isVisible();
        QTest::qWait(700);
        QTest::keyClick(box, Qt::Key_N);
    });
    // Should a key answer, the box must still end.
    QTimer::singleShot(10000, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    EXPECT_EQ(qt.askSaveChanges(&parent), SaveChoice::Nein);
    EXPECT_TRUE(openWhileTyping);
}

TEST(QuestionBoxTest, AnswersHaveMnemonics)
{
    QWidget parent;
    parent.show();
    TQtDialogService qt;
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            texts << button->text();
        box->close();
    });
    EXPECT_EQ(qt.askSaveChanges(&parent), SaveChoice::Abbrechen);
    texts.sort();
    EXPECT_EQ(texts,
              QStringList({QStringLiteral("&Abbrechen"), QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
}

TEST_F(EditorTest, FileErrorsAreReportedAndChangeNothing)
{
    start();
    form->Design()->InsertAfter(TAnweisung::Create("bleibt"));
    const std::string before = dump();
    const TBlock* design = form->Design();

    const std::string missing = path("fehlt.str");
    dialogs.answerOpen(QString::fromStdString(missing));
    dialogs.acknowledgeError();
    trigger("Struktogrammladen1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text, filesMessage(ErrorReason::CannotOpenFile, missing));
    EXPECT_EQ(form->Design(), design);

    const std::string unwritable = path("kein/ordner.str");
    dialogs.answerSave(QString::fromStdString(unwritable));
    dialogs.acknowledgeError();
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text,
              filesMessage(ErrorReason::CannotCreateFile, unwritable));

    dialogs.answerOpen(QString());
    trigger("Struktogrammladen1");
    dialogs.answerSave(QString());
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(form->Design(), design);
    EXPECT_EQ(dump(), before);
}

TEST_F(EditorTest, ModeSwitchChangesToolBarsChecksCaptionAndScrollRanges)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().setCurrent(at(*form->Design(), {3}));
    form->openBlockWindow(static_cast<TBlock*>(at(*form->Design(), {3})));
    for (bool flowchart : {true, true, false, false, true}) {
        SCOPED_TRACE(flowchart);
        trigger(flowchart ? "Flussdiagramm1" : "Struktogramm1");
        EXPECT_EQ(form->flowchartMode(), flowchart);
        EXPECT_EQ(action("Flussdiagramm1")->isChecked(), flowchart);
        EXPECT_EQ(action("Struktogramm1")->isChecked(), !flowchart);
        EXPECT_EQ(form->ToolBar1->isVisible(), flowchart);
        EXPECT_EQ(form->ToolBar2->isVisible(), !flowchart);
        EXPECT_EQ(form->windowTitle(),
                  flowchart ? QStringLiteral("every.str — Flussdiagramm — Struktogramm-Editor")
                            : QStringLiteral("every.str — Struktogramm — Struktogramm-Editor"));
        for (TForm1* window : form->diagramWindows()) {
            TQtMeasureCanvas measure;
            TDisplayOptions options;
            const TSize expected = scrollRangesOf(measure.canvas(), *window->ShownBlock, options, flowchart);
            EXPECT_EQ(window->scrollRanges(), QSize(expected.cx, expected.cy));
            EXPECT_EQ(window->Options->Flowchart, flowchart);
        }
    }
}

TEST_F(EditorTest, PrintWritesOnePageOfTheActiveWindow)
{
    start(writeDesign("every.str", *everyKindDesign()));
    const std::string pdf = path("druck.pdf");
    dialogs.answerPrint(QString::fromStdString(pdf));
    trigger("Drucken2");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Print)->text, QStringLiteral("gesamtes Programm"));
    ASSERT_TRUE(QFile::exists(QString::fromStdString(pdf)));
    EXPECT_EQ(readFile(pdf).rfind("%PDF", 0), 0u);
    EXPECT_EQ(pdfPageCount(pdf), 1);

    whole().setCurrent(at(*form->Design(), {3}));
    trigger("BlockinneuemFensteranzeigen1");
    const std::string blockPdf = path("teil.pdf");
    dialogs.answerPrint(QString::fromStdString(blockPdf));
    trigger("Drucken2");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Print)->text, QStringLiteral("Teil"));
    EXPECT_EQ(pdfPageCount(blockPdf), 1);

    // After printing the windows draw as before.
    EXPECT_EQ(whole().Options->Spacing, 6);
    EXPECT_TRUE(whole().Options->OnScreen);
    EXPECT_FALSE(whole().Options->Printing);

    dialogs.answerPrint(QString());
    trigger("Drucken2");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("nichts.pdf"))));
}

TEST_F(EditorTest, ExportWritesTheJavaTextOfTheWholeDesign)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().setCurrent(at(*form->Design(), {3}));
    trigger("BlockinneuemFensteranzeigen1");
    const std::string java = path("programm.java");
    dialogs.answerSave(QString::fromStdString(java));
    trigger("Exportieren1");
    const DialogCall* call = dialogs.lastCall(DialogKind::Save);
    EXPECT_EQ(call->filter, QStringLiteral("Quellcode (*.java)|*.java|Alle Dateien|*.*"));
    EXPECT_EQ(call->defaultExtension, QStringLiteral("java"));
    EXPECT_EQ(readFile(java), exportJavaText(*form->Design(), false));
    EXPECT_FALSE(readFile(java).empty());
}

// "Als Java-Programm exportieren": a class named after the file, and for a design that does not run, the
// run's problems instead of a file.
TEST_F(EditorTest, ExportAsAJavaProgram)
{
    start();
    form->document().replaceDesign(ParseText("int n = 3; for (i=1;i<=n;i=i+1) System.out.println(i);"), true);
    const std::string java = path("Zaehlen.java");
    dialogs.answerSave(QString::fromStdString(java));
    trigger("AlsJavaProgramm1");
    const std::string program = readFile(java);
    EXPECT_NE(program.find("public class Zaehlen {\n"), std::string::npos) << program;
    EXPECT_NE(program.find("for (int i=1;i<=n;i=i+1) {\n"), std::string::npos) << program;

    form->document().replaceDesign(ParseText("Eingabe x;"), true);
    dialogs.acknowledgeError();
    trigger("AlsJavaProgramm1");
    ASSERT_EQ(dialogs.callCount(DialogKind::Error), 1);
    EXPECT_TRUE(dialogs.lastCall(DialogKind::Error)->text.contains(QStringLiteral("Eingabe x")));
    EXPECT_EQ(dialogs.callCount(DialogKind::Save), 1);
}

// What the editor keeps between starts: the window's size, the zoom of the drawing mode, the designs
// opened last (a missing one leaves the list with a message). A damaged settings file starts as the first
// start does.
TEST_F(EditorTest, SettingsAndRecentDesignsOutliveARestart)
{
    QStandardPaths::setTestModeEnabled(true);
    appsettings::enable();
    appsettings::reset();
    const std::string first = writeDesign("erste.str", *everyKindDesign());
    const std::string second = writeDesign("zweite.str", *everyKindDesign());
    start(first);
    dialogs.answerOpen(QString::fromStdString(second));
    trigger("Struktogrammladen1");
    form->resize(700, 420);
    whole().diagramArea()->setZoom(200, QPoint());
    form->runController().setSpeed(10);
    form->close();
    EXPECT_EQ(appsettings::zoom(false), 200);
    finish();

    start();
    EXPECT_EQ(form->size(), QSize(700, 420));
    EXPECT_EQ(whole().diagramArea()->zoom().percent(), 200);
    EXPECT_EQ(form->runController().speed(), 10);
    auto* recent = form->findChild<QMenu*>(QStringLiteral("Zuletztgeoeffnet1"));
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_TRUE(recent->actions()[0]->text().endsWith(QStringLiteral("zweite.str")));
    EXPECT_TRUE(recent->actions()[1]->text().endsWith(QStringLiteral("erste.str")));
    QFile::remove(QString::fromStdString(second));
    dialogs.acknowledgeInformation();
    recent->actions()[0]->trigger();
    EXPECT_EQ(dialogs.callCount(DialogKind::Information), 1);
    ASSERT_EQ(recent->actions().size(), 1);
    recent->actions()[0]->trigger();
    EXPECT_EQ(form->document().fileName(), first);
    finish();

    // Settings that are no settings: the window starts as the first start does.
    QSettings(QStringLiteral("struktogramm"), QStringLiteral("struktogramm"))
        .setValue(QStringLiteral("fenster/geometrie"), QStringLiteral("kaputt"));
    QSettings(QStringLiteral("struktogramm"), QStringLiteral("struktogramm"))
        .setValue(QStringLiteral("ansicht/zoomStruktogramm"), QStringLiteral("viel"));
    start();
    EXPECT_EQ(whole().diagramArea()->zoom().percent(), 100);
    finish();
    appsettings::reset();
    appsettings::enable(false);
}

// The manual is in the program, and its Java reference is the run's own library: every method the checker
// finds in the library table stands in it.
TEST_F(EditorTest, ManualNamesTheLibraryTheRunAccepts)
{
    const QString manual = manualHtml();
    EXPECT_TRUE(manual.contains(QStringLiteral("<a name=\"java\">")));
    EXPECT_FALSE(manual.contains(QStringLiteral("JAVA-REFERENZ")));
    for (const runtime::LibraryEntry& entry : runtime::libraryReference())
        EXPECT_TRUE(manual.contains(QString::fromStdString(entry.signature).toHtmlEscaped()))
            << entry.owner << " " << entry.signature;
    EXPECT_TRUE(manual.contains(QStringLiteral("Math.sqrt(double)")));
    EXPECT_TRUE(manual.contains(QStringLiteral("<i>wert</i>.nextInt()")));
    EXPECT_EQ(manualSectionFor(nullptr), QString());

    start();
    trigger("Handbuch1");
    settle();
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("Handbuch") && w->isVisible())
            window = w;
    ASSERT_NE(window, nullptr);
    window->close();
}

TEST_F(EditorTest, CopyAndPasteGoThroughTheClipboardInCodePage1252)
{
    auto design = everyKindDesign();
    design->FirstChild->Text = "preis = \x80 + \xe4\xf6\xfc\xdf";
    start(writeDesign("every.str", *design));
    trigger("InZwischenablage1");
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(copied, fromCp1252(exportJavaText(*form->Design(), true)));
    EXPECT_TRUE(copied.contains(QStringLiteral("preis = € + äöüß")));

    // Pasting what was copied rebuilds the same statements; a character outside code page 1252 becomes '?'.
    QApplication::clipboard()->setText(QStringLiteral("x = \"€→\"; // Preis\r\nif (a) {\r\n  y;\r\n}\r\n"));
    whole().setCurrent(form->Design());
    form->openBlockWindow(form->Design());
    form->document().takeSnapshot();
    form->document().markSaved();
    trigger("AusZwischenablageeinfgen1");
    settle();
    std::unique_ptr<TBlock> expected = ParseText("x = \"\x80?\";\r\nif (a) {\r\n  y;\r\n}\r\n");
    makeDesignRoot(*expected);
    EXPECT_EQ(dump(), dumpTree(*expected));
    ASSERT_NE(form->Design()->FirstChild, nullptr);
    EXPECT_EQ(form->Design()->FirstChild->Text, "x = \"\x80?\"");
    EXPECT_EQ(form->diagramWindows().size(), 1);
    EXPECT_EQ(whole().ShownBlock, form->Design());
    EXPECT_EQ(form->document().undoHistory().snapshotCount(), 0);
    // The status line says what the paste left out and what it replaced.
    EXPECT_EQ(form->statusBar()->currentMessage(),
              QStringLiteral("Java-Text eingefügt: 1 Kommentar wurde ausgelassen, 1 Zeichen ohne Platz im "
                             "Zeichensatz wurde durch „?“ ersetzt."));
}

TEST_F(EditorTest, PasteTakesTheWholeClipboardAndRefusesDeepNesting)
{
    start();
    QString longText;
    for (int i = 0; i < 3000; ++i)
        longText += QStringLiteral("anweisung%1;\r\n").arg(i);
    QApplication::clipboard()->setText(longText);
    trigger("AusZwischenablageeinfgen1");
    int count = 0;
    for (TElement* e = form->Design()->FirstChild.get(); e; e = e->Next.get())
        ++count;
    EXPECT_EQ(count, 3000);

    const std::string before = dump();
    form->document().markSaved();
    QApplication::clipboard()->setText(QString(1001, QLatin1Char('{')) + QStringLiteral("x;") +
                                       QString(1001, QLatin1Char('}')));
    dialogs.acknowledgeError();
    trigger("AusZwischenablageeinfgen1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text,
              errorText(DesignError(ErrorReason::TooDeeplyNested)));
    EXPECT_EQ(dump(), before);

    QApplication::clipboard()->clear();
    trigger("AusZwischenablageeinfgen1");
    EXPECT_EQ(dump(), "B s=0 b=0 \"\"\n");
}

// New, Load, Paste and closing the program ask before unsaved changes are thrown away.
TEST_F(EditorTest, UnsavedChangesAreNeverThrownAwaySilently)
{
    enum class Answer { JaSaved, JaSaveCancelled, Nein, Abbrechen };
    const char* commands[] = {"Neu1", "Struktogrammladen1", "AusZwischenablageeinfgen1", "Programmbeenden1"};
    const std::string other = writeDesign("anderes.str", *designOf(TAnweisung::Create("anderes")));
    for (const char* command : commands) {
        for (Answer answer : {Answer::JaSaved, Answer::JaSaveCancelled, Answer::Nein, Answer::Abbrechen}) {
            SCOPED_TRACE(std::string(command) + " " + std::to_string(static_cast<int>(answer)));
            start();
            QApplication::clipboard()->setText(QStringLiteral("eingefuegt;"));
            form->document().takeSnapshot();
            form->Design()->InsertAfter(TAnweisung::Create("ungesichert"));
            const std::string changed = dump();
            ASSERT_TRUE(form->document().isModified());

            const std::string saved = path("gesichert.str");
            QFile::remove(QString::fromStdString(saved));
            switch (answer) {
            case Answer::JaSaved:
                dialogs.answerSaveChanges(SaveChoice::Ja);
                dialogs.answerSave(QString::fromStdString(saved));
                break;
            case Answer::JaSaveCancelled:
                dialogs.answerSaveChanges(SaveChoice::Ja);
                dialogs.answerSave(QString());
                break;
            case Answer::Nein:
                dialogs.answerSaveChanges(SaveChoice::Nein);
                break;
            case Answer::Abbrechen:
                dialogs.answerSaveChanges(SaveChoice::Abbrechen);
                break;
            }
            const bool proceeds = answer == Answer::JaSaved || answer == Answer::Nein;
            if (proceeds && std::string(command) == "Struktogrammladen1")
                dialogs.answerOpen(QString::fromStdString(other));
            trigger(command);
            EXPECT_EQ(dialogs.callCount(DialogKind::AskSave), 1);
            if (answer == Answer::JaSaved)
                EXPECT_EQ(readFile(saved), saveDesign(*designOf(TAnweisung::Create("ungesichert"))));
            else
                EXPECT_FALSE(QFile::exists(QString::fromStdString(saved)));
            if (std::string(command) == "Programmbeenden1") {
                EXPECT_EQ(form->isVisible(), !proceeds);
            } else if (proceeds) {
                EXPECT_NE(dump(), changed);
            } else {
                EXPECT_EQ(dump(), changed);
                EXPECT_TRUE(form->document().isModified());
            }
            finish();
            dialogs.clearLog();
        }
    }
}

TEST_F(EditorTest, NothingAsksWhenNothingChanged)
{
    const std::string file = writeDesign("every.str", *everyKindDesign());
    start(file);
    trigger("Neu1");
    dialogs.answerOpen(QString::fromStdString(file));
    trigger("Struktogrammladen1");
    trigger("Struktogramm1");
    trigger("Flussdiagramm1");
    whole().setCurrent(at(*form->Design(), {3}));
    trigger("Blockvergrern1");
    trigger("BlockinneuemFensteranzeigen1");
    const std::string saved = path("s.str");
    form->document().takeSnapshot();
    dialogs.answerSave(QString::fromStdString(saved));
    trigger("Struktogrammspeichern1");
    trigger("Neu1");
    trigger("Programmbeenden1");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.callCount(DialogKind::AskSave), 0);
}

TEST_F(EditorTest, ClosingTheWholeDesignWindowMinimisesItClosingABlockWindowDestroysIt)
{
    start(writeDesign("every.str", *everyKindDesign()));
    whole().setCurrent(at(*form->Design(), {3}));
    trigger("BlockinneuemFensteranzeigen1");
    ASSERT_EQ(form->diagramWindows().size(), 2);
    QPointer<TForm1> block = form->diagramWindows()[1];
    block->close();
    settle();
    EXPECT_TRUE(block.isNull());
    ASSERT_EQ(form->diagramWindows().size(), 1);

    whole().close();
    settle();
    ASSERT_EQ(form->diagramWindows().size(), 1);
    EXPECT_TRUE(whole().isMinimized());
    whole().showNormal();
    EXPECT_EQ(whole().ShownBlock, form->Design());
    EXPECT_EQ(whole().windowTitle(), QStringLiteral("gesamtes Programm"));
}

TEST_F(EditorTest, BlockCommandsOfTheViewMenuActOnTheActiveWindow)
{
    start(writeDesign("every.str", *everyKindDesign()));
    auto* teil = static_cast<TBlock*>(at(*form->Design(), {3}));
    whole().setCurrent(teil);
    trigger("BlockinneuemFensteranzeigen1");
    trigger("BlockinneuemFensteranzeigen1"); // does nothing: the new window has no current element
    ASSERT_EQ(form->diagramWindows().size(), 2);
    TForm1* first = form->diagramWindows()[1];
    form->mdiArea()->setActiveSubWindow(&whole());
    trigger("BlockinneuemFensteranzeigen1");
    ASSERT_EQ(form->diagramWindows().size(), 3);
    TForm1* second = form->diagramWindows()[2];
    EXPECT_EQ(first->ShownBlock, teil);
    EXPECT_EQ(second->ShownBlock, teil);
    EXPECT_EQ(form->ActiveWindow(), second);

    // Collapsing in one window leaves the other alone.
    second->setCurrent(teil);
    trigger("Blockvergrern1");
    EXPECT_TRUE(second->Options->IsCollapsed(teil));
    EXPECT_FALSE(first->Options->IsCollapsed(teil));
    EXPECT_FALSE(whole().Options->IsCollapsed(teil));
    trigger("Blockvergrern1");
    EXPECT_FALSE(second->Options->IsCollapsed(teil));

    // A current element that is not a block: nothing happens.
    second->setCurrent(teil->FirstChild.get());
    trigger("Blockvergrern1");
    trigger("BlockinneuemFensteranzeigen1");
    EXPECT_EQ(second->Options->collapsedCount(), 0);
    EXPECT_EQ(form->diagramWindows().size(), 3);
}

} // namespace

namespace {

// A named block "Lang" of `count` statements between `before` statements and `after` statements.
std::unique_ptr<TBlock> designWithLongBlock(int before, int count, int after)
{
    auto root = designOf(nullptr);
    for (int i = after; i > 0; --i)
        root->InsertAfter(TAnweisung::Create("danach " + std::to_string(i)));
    auto block = TBlock::Create("Lang");
    for (int i = count; i > 0; --i)
        block->InsertAfter(TAnweisung::Create("innen " + std::to_string(i)));
    root->InsertAfter(std::move(block));
    for (int i = before; i > 0; --i)
        root->InsertAfter(TAnweisung::Create("davor " + std::to_string(i)));
    return root;
}

TEST_F(EditorTest, CollapsingAndExpandingScrollTheBlockIntoView)
{
    start(writeDesign("lang.str", *designWithLongBlock(60, 80, 60)));
    TForm1& window = whole();
    auto* block = static_cast<TBlock*>(at(*form->Design(), {60}));
    window.setCurrent(block);
    window.Options->ToggleCollapsed(block);
    window.AdjustScrollBars();

    // Expanding makes the block taller than the window: its top edge comes 2 pixels below the top.
    trigger("Blockvergrern1");
    EXPECT_FALSE(window.Options->IsCollapsed(block));
    window.drawingWidget()->repaint();
    EXPECT_EQ(window.Options->HighlightRect.Top, 2);
    EXPECT_GT(window.scrollPosition().y(), 0);

    // Collapsing makes it small: it is centred in the window.
    trigger("Blockvergrern1");
    EXPECT_TRUE(window.Options->IsCollapsed(block));
    window.drawingWidget()->repaint();
    const TRect r = window.Options->HighlightRect;
    EXPECT_GT(r.Top, 0);
    EXPECT_LT(r.Bottom, window.drawingWidget()->height());
    EXPECT_NEAR((r.Top + r.Bottom) / 2, window.height() / 2, 2);
}

// At the end of the design the scroll range shrinks under the collapsed block; it still comes into view.
TEST_F(EditorTest, CollapsingTheLastBlockKeepsItInView)
{
    start(writeDesign("lang.str", *designWithLongBlock(60, 80, 0)));
    TForm1& window = whole();
    auto* block = static_cast<TBlock*>(at(*form->Design(), {60}));
    window.setCurrent(block);
    window.scrollArea()->verticalScrollBar()->setValue(window.scrollArea()->verticalScrollBar()->maximum());
    trigger("Blockvergrern1");
    window.drawingWidget()->repaint();
    const TRect r = window.Options->HighlightRect;
    EXPECT_GE(r.Top, 0);
    EXPECT_LE(r.Bottom, window.drawingWidget()->height());
}

} // namespace

namespace {

// A diagram window paints the same inside the main window as on its own: what it skips as lying outside
// the painted area is worked out in its own coordinates, not in the frame's.
TEST_F(EditorTest, TheWindowPaintsItsWholeDiagramInsideTheFrame)
{
    start(writeDesign("lang.str", *designWithLongBlock(40, 3, 0)));
    whole().showMaximized();
    QWidget* area = whole().drawingWidget();
    const QImage alone = area->grab().toImage();
    const QImage framed = form->grab().toImage().copy(QRect(area->mapTo(form, QPoint(0, 0)), area->size()));
    ASSERT_EQ(alone.size(), framed.size());
    int differing = 0;
    for (int y = 0; y < alone.height(); ++y)
        for (int x = 0; x < alone.width(); ++x)
            differing += alone.pixel(x, y) != framed.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
}

} // namespace

namespace {

QString mainCaption(const char* file, bool modified)
{
    return QString::fromLatin1(file) + (modified ? "*" : "") +
           QStringLiteral(" — Struktogramm — Struktogramm-Editor");
}

// Found looking for the picture commands: they stood after "Programm beenden", and the print preview's
// title read "Druck&vorschau". The editor's items stand beside "Drucken", the design's own keep their
// order, "Programm beenden" stays last, and no window title shows a mnemonic.
TEST_F(EditorTest, FileMenuKeepsTheDesignsOrderWithTheAddedItemsBesideDrucken)
{
    start();
    QStringList items;
    for (const QAction* item : form->Datei1->actions())
        items << item->objectName();
    EXPECT_EQ(items,
              QStringList({"Neu1", "N2", "Struktogrammladen1", "Struktogrammspeichern1", "Zuletztgeoeffnet1",
                           "N11", "InZwischenablage1", "AusZwischenablageeinfgen1", "N5", "Exportieren1",
                           "AlsJavaProgramm1", "Drucken2", "Druckvorschau1", "AlsBildspeichern1",
                           "AlsBildkopieren1", "N1", "Programmbeenden1"}));
    TPrintPreview preview(whole(), form);
    EXPECT_FALSE(preview.windowTitle().contains(QLatin1Char('&')));
    EXPECT_EQ(preview.windowTitle(), QStringLiteral("Druckvorschau"));
}

TEST_F(EditorTest, CaptionNamesTheFileAndFollowsItsUnsavedChanges)
{
    start(writeDesign("every.str", *everyKindDesign()));
    EXPECT_EQ(form->windowTitle(), mainCaption("every.str", false));
    whole().setCurrent(at(*form->Design(), {0}));
    QTest::keyClick(whole().scrollArea(), Qt::Key_Delete);
    EXPECT_EQ(form->windowTitle(), mainCaption("every.str", true));
    dialogs.answerSave(QString::fromStdString(path("anders.str")));
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(form->windowTitle(), mainCaption("anders.str", false));
    trigger("Rckgngig1");
    EXPECT_EQ(form->windowTitle(), mainCaption("anders.str", true));
    dialogs.answerSaveChanges(SaveChoice::Nein);
    trigger("Neu1");
    EXPECT_EQ(form->windowTitle(), mainCaption("Unbenannt", false));
}

TEST_F(EditorTest, ADroppedDesignFileOpensAfterTheQuestion)
{
    const std::string file = writeDesign("gezogen.str", *statements({"gezogen"}));
    start();
    whole().setCurrent(form->Design());
    form->document().takeSnapshot(); // unsaved changes
    auto dropOn = [this](const std::string& name) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(name))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(form, &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, {});
        if (enter.isAccepted())
            QApplication::sendEvent(form, &drop);
        settle();
        return enter.isAccepted();
    };
    EXPECT_FALSE(dropOn(path("bild.png")));
    dialogs.answerSaveChanges(SaveChoice::Nein);
    EXPECT_TRUE(dropOn(file));
    EXPECT_EQ(dump(), dumpTree(*statements({"gezogen"})));
    EXPECT_EQ(form->windowTitle(), mainCaption("gezogen.str", false));
}

TEST_F(EditorTest, CommandsThatNeedACurrentElementAreGreyedOutWithoutOne)
{
    start(writeDesign("every.str", *everyKindDesign()));
    auto status = [this] { return form->findChild<QLabel*>(QStringLiteral("StatusHint"))->text(); };
    EXPECT_EQ(status(), QStringLiteral("Zuerst ein Element anklicken"));
    for (const auto& [current, block] :
         {std::pair(at(*form->Design(), {0}), false), {form->Design(), true}}) {
        whole().setCurrent(current);
        for (const char* name : {"BAnweisung2", "BForSchleife", "IfAnweisung", "ForSchleife"})
            EXPECT_TRUE(action(name)->isEnabled()) << name;
        EXPECT_EQ(action("Blockvergrern1")->isEnabled(), block);
        EXPECT_EQ(status(), QString());
    }
    form->openBlockWindow(form->Design()); // active, with nothing current
    EXPECT_FALSE(action("BAnweisung2")->isEnabled());
    EXPECT_FALSE(action("BlockinneuemFensteranzeigen1")->isEnabled());
    EXPECT_TRUE(action("Drucken2")->isEnabled());
}

// Alt and a letter open a menu or choose an item: each visible caption has one mnemonic letter, and no
// two items of one menu share it.
TEST_F(EditorTest, MenusAndItemsHaveMnemonicsThatDoNotCollide)
{
    start();
    QList<QList<QAction*>> groups{form->menuBar()->actions(), whole().PopupMenu1->actions()};
    for (QMenu* menu : form->menuBar()->findChildren<QMenu*>() + whole().PopupMenu1->findChildren<QMenu*>())
        groups << menu->actions();
    for (const QList<QAction*>& group : groups) {
        QSet<QChar> letters;
        for (QAction* a : group) {
            const QString text = a->text();
            const qsizetype mark = text.indexOf(QLatin1Char('&'));
            if (a->isSeparator() || !a->isVisible())
                continue;
            ASSERT_TRUE(mark >= 0 && text.count(QLatin1Char('&')) == 1) << text.toStdString();
            EXPECT_FALSE(letters.contains(text.at(mark + 1).toLower())) << text.toStdString();
            letters.insert(text.at(mark + 1).toLower());
        }
    }
    QTest::keyClick(form, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->Datei1->isVisible(); }, 2000));
    form->Datei1->hide();
}

// The real open dialog: a typed name of a missing file reaches the load command, which says so.
TEST(OpenDialogTest, LetsATypedNameOfAMissingFileThrough)
{
    const QString missing =
        QDir::temp().filePath(QStringLiteral("fehlt-%1.str").arg(QCoreApplication::applicationPid()));
    QTimer::singleShot(0, [missing] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(missing);
        static_cast<QDialog*>(dialog)->accept();
    });
    TQtDialogService service;
    EXPECT_EQ(service.openFileName(nullptr, uitexts::filterDesigns()), missing);
}

} // namespace
