// Watching a design run: single steps shown in every window and both drawing modes, breakpoints, stopping
// an endless loop, input, editing during a run, and the Java view beside the diagrams.

#include "tests/ui/editor_fixture.h"

#include "model/diagramview.h"
#include "model/drawing.h"
#include "parser/interpret.h"
#include "ui/consoleview.h"
#include "ui/javaview.h"
#include "ui/qtcanvas.h"
#include "ui/runcommands.h"
#include "ui/runcontroller.h"
#include "ui/traceview.h"
#include "ui/uitexts.h"
#include "ui/variablesview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>

namespace {

using runtime::SessionState;

class RunTest : public EditorTest
{
protected:
    void startOn(const char* source)
    {
        std::unique_ptr<TBlock> root = ParseText(source);
        start(writeDesign("lauf.str", *root));
        form->mdiArea()->setActiveSubWindow(&whole());
        whole().scrollArea()->setFocus();
        settle();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form->ActiveWindow()->scrollArea(), k, modifiers);
        settle();
    }
    TRunController& run() const { return form->runController(); }
    const runtime::Session& session() const { return run().session(); }
    TElement* element(std::initializer_list<int> path) const { return at(*form->Design(), path); }
    QString status() const { return form->findChild<QLabel*>(QStringLiteral("RunStatus"))->text(); }
};

const char kLoopWithDecision[] =
    "int s = 0; for (i=1;i<=2;i=i+1) { if (i % 2 == 0) { s = s + i; } else { s = s - 1; } }"
    "System.out.println(s);";

// The pixels of the running element's fill in `window`: inside the rectangle where `e` is drawn, and
// outside it.
std::pair<int, int> runningPixels(TForm1& window, const TElement* e)
{
    const QImage image = window.drawingWidget()->grab().toImage();
    const std::optional<QRect> r = e ? window.elementRect(const_cast<TElement*>(e)) : std::nullopt;
    const QRgb fill = toQColor(kRunningFill).rgb();
    std::pair<int, int> count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == fill)
                ++(r && r->contains(x, y) ? count.first : count.second);
        }
    }
    return count;
}

TEST_F(RunTest, SingleStepsShowTheRunningElementInEveryWindowAndBothModes)
{
    startOn(kLoopWithDecision);
    TForm1* body = form->openBlockWindow(asBlock(element({1, 1})));
    form->mdiArea()->tileSubWindows();
    form->mdiArea()->setActiveSubWindow(&whole());
    for (int n = 0; n < 12; ++n) {
        if (n == 6)
            trigger("Flussdiagramm1");
        key(Qt::Key_F10);
        const TElement* running = session().next().element;
        if (!running)
            break;
        for (TForm1* window : {&whole(), body}) {
            const bool shown = drawnFor(*window->ShownBlock, *window->Options, *running) != nullptr;
            const auto [inside, outside] = runningPixels(*window, shown ? running : nullptr);
            EXPECT_EQ(inside > 20, shown) << "step " << n;
            EXPECT_EQ(outside, 0) << "step " << n;
        }
        TJavaView& java = *run().javaView();
        EXPECT_EQ(java.runningLines(), java.lines().stepLines(running)) << "step " << n;
    }
    EXPECT_EQ(session().steps(), 9u);
    EXPECT_EQ(session().state(), SessionState::Finished);
    EXPECT_EQ(run().console()->output()->toPlainText(), QStringLiteral("1\n"));
    QTreeWidgetItem* s = run().variablesView()->topLevelItem(0);
    EXPECT_EQ(s->text(0) + s->text(2), QStringLiteral("s1"));
    EXPECT_FALSE(form->document().isModified());
    EXPECT_FALSE(form->document().canUndo());
}

// A window scrolls to keep the running element in view while the run steps.
TEST_F(RunTest, WindowsScrollToTheRunningElement)
{
    std::string source;
    for (int i = 0; i < 60; ++i)
        source += "int x" + std::to_string(i) + " = " + std::to_string(i) + ";";
    startOn(source.c_str());
    whole().resize(300, 200);
    for (int n = 0; n < 50; ++n)
        key(Qt::Key_F10);
    const std::optional<QRect> r = whole().elementRect(const_cast<TElement*>(session().next().element));
    ASSERT_TRUE(r);
    EXPECT_TRUE(whole().drawingWidget()->rect().contains(*r));
    EXPECT_GT(whole().scrollPosition().y(), 0);
    // The same in a flowchart: the next steps follow the running element down.
    trigger("Flussdiagramm1");
    const int before = whole().scrollPosition().y();
    for (int n = 0; n < 5; ++n)
        key(Qt::Key_F10);
    const std::optional<QRect> f = whole().elementRect(const_cast<TElement*>(session().next().element));
    ASSERT_TRUE(f);
    EXPECT_TRUE(whole().drawingWidget()->rect().contains(*f)) << f->top() << " " << f->bottom();
    EXPECT_GT(whole().scrollPosition().y(), before);
}

TEST_F(RunTest, ABreakpointStopsARunBeforeItsElementAndShiftF5EndsIt)
{
    startOn(kLoopWithDecision);
    whole().setCurrent(element({1, 1, 0, 1, 0})); // s = s + i
    key(Qt::Key_F9);
    trigger("Geschwindigkeit0");
    key(Qt::Key_F5);
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() != SessionState::Running; }, 5000));
    EXPECT_TRUE(session().atBreakpoint());
    EXPECT_EQ(session().next().element, element({1, 1, 0, 1, 0}));
    EXPECT_EQ(run().variablesView()->topLevelItem(1)->text(2), QStringLiteral("2")); // i
    EXPECT_TRUE(status().startsWith(QStringLiteral("Haltepunkt vor „s = s + i“"))) << status().toStdString();
    key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(session().state(), SessionState::Stopped);
    EXPECT_FALSE(run().marks().running.element.element);
}

// The key reaches the editor between two slices of an endless loop run at full speed.
TEST_F(RunTest, ShiftF5StopsAnEndlessLoop)
{
    startOn("int n = 0; while (true) { n = n + 1; System.out.println(n); }");
    trigger("Geschwindigkeit0");
    key(Qt::Key_F5);
    QTest::qWait(100);
    ASSERT_EQ(session().state(), SessionState::Running);
    QTimer::singleShot(0, form, [this] { key(Qt::Key_F5, Qt::ShiftModifier); });
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Stopped; }, 5000));
    EXPECT_GT(session().steps(), 1000u);
    // The console shows the output up to where the run stopped: n, or n - 1 before n was written.
    const QStringList lines = run().console()->output()->toPlainText().split(QLatin1Char('\n'));
    const long long n = std::stoll(session().variables().back().value);
    EXPECT_LE(n - lines[lines.size() - 2].toLongLong(), 1);
}

// The run tool bar stands after the design's; its Anhalten (F6) pauses a full-speed run at once, its start
// item then says "Fortsetzen", and its slider sets the speed the menu shows. The status line counts steps
// in German and drops the selection hint while a run is shown.
TEST_F(RunTest, TheRunToolBarPausesAFullSpeedRunAndSetsTheSpeed)
{
    startOn("int n = 0; while (n >= 0) { n = (n + 1) % 1000; }");
    auto* bar = form->findChild<QToolBar*>(QStringLiteral("LaufLeiste"));
    ASSERT_TRUE(bar);
    EXPECT_GT(bar->geometry().left(),
              form->findChild<QToolBar*>(QStringLiteral("ToolBar2"))->geometry().left());
    auto* hint = form->findChild<QLabel*>(QStringLiteral("StatusHint"));
    whole().setCurrent(nullptr);
    settle();
    EXPECT_TRUE(hint->isVisible());
    key(Qt::Key_F10); // stands before the first element
    key(Qt::Key_F10);
    EXPECT_EQ(status(), uitexts::runPausedBefore(QStringLiteral("n >= 0"), 1));
    EXPECT_TRUE(status().endsWith(QStringLiteral("nach 1 Schritt")));
    EXPECT_FALSE(hint->isVisible());
    auto* start = form->findChild<QAction*>(QStringLiteral("Starten1"));
    EXPECT_EQ(start->text(), QStringLiteral("&Fortsetzen"));

    QSlider* slider = run().speedSlider();
    slider->setValue(slider->maximum());
    EXPECT_EQ(run().speed(), 0);
    EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("Geschwindigkeit0"))->isChecked());
    key(Qt::Key_F5);
    EXPECT_EQ(start->text(), QStringLiteral("&Starten"));
    QElapsedTimer sincePause;
    QTimer::singleShot(300, [&] {
        sincePause.start();
        QTest::keyClick(form->ActiveWindow()->scrollArea(), Qt::Key_F6);
    });
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Paused; }, 5000));
    EXPECT_LT(sincePause.elapsed(), 500);
    EXPECT_GT(session().steps(), 1000u);
    const QString steps = QLocale(QLocale::German).toString(static_cast<qulonglong>(session().steps()));
    EXPECT_TRUE(status().endsWith(QStringLiteral("nach ") + steps + QStringLiteral(" Schritten")));
    EXPECT_TRUE(steps.contains(QLatin1Char('.')));

    slider->setValue(0);
    EXPECT_EQ(run().speed(), 1);
    EXPECT_TRUE(form->findChild<QAction*>(QStringLiteral("Geschwindigkeit1"))->isChecked());
    trigger("Geschwindigkeit10");
    EXPECT_EQ(TRunCommands::kSliderSpeeds[slider->value()], 10);
    key(Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_TRUE(hint->isVisible());
}

// A value too long for its column shows whole in a tool tip, and Ctrl+C copies the current row's value.
TEST_F(RunTest, ALongValueShowsInAToolTipAndCanBeCopied)
{
    startOn("String kurz = \"ab\"; String lang = \"\"; for (i=1;i<=150;i=i+1) { lang = lang + i % 10; }"
            "System.out.println(lang);");
    trigger("Geschwindigkeit0");
    key(Qt::Key_F10);
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Finished; }, 5000));
    TVariablesView& view = *run().variablesView();
    ASSERT_EQ(view.topLevelItemCount(), 2);
    const QString whole = view.topLevelItem(1)->text(2);
    ASSERT_EQ(whole.size(), 150);
    const QRect longCell = view.visualRect(view.model()->index(1, 2));
    ASSERT_LT(longCell.width(), view.fontMetrics().horizontalAdvance(whole));
    EXPECT_EQ(view.valueTip(longCell.center()).remove(QLatin1Char('\n')), whole);
    EXPECT_TRUE(view.valueTip(view.visualRect(view.model()->index(0, 2)).center()).isEmpty());

    view.setCurrentItem(view.topLevelItem(1));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), whole);
}

// The desk check of a run stepped in the editor, as it was worked by hand (a value only where it changed),
// saved as CSV with the separator of a German spreadsheet; a click on a row makes its element current.
TEST_F(RunTest, TheTraceTableFillsWhileSteppingAndIsSavedAsCsv)
{
    const QByteArray locale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "de_DE.UTF-8");
    startOn("int a = 1; int b = 0; while (a < 4) { b = b + a; a = a * 2; } int[] f = {a, b};");
    for (int step = 0; step < 4; ++step)
        key(Qt::Key_F10);
    // Three steps have run: the open dock shows them, and grows with each step.
    TTraceView& trace = *run().traceView();
    run().traceDock()->raise();
    settle();
    EXPECT_EQ(trace.model()->rowCount(), 3);
    for (int step = 0; step < 7; ++step)
        key(Qt::Key_F10);
    ASSERT_EQ(session().state(), SessionState::Finished);
    ASSERT_EQ(trace.model()->rowCount(), 10);

    const QString file = dir.filePath(QStringLiteral("protokoll.csv"));
    dialogs.answerSave(file);
    trace.saveCsv();
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), "Schritt;Element;Bedingung;a;b;f\n"
                                             "1;int a = 1;;1;;\n"
                                             "2;int b = 0;;;0;\n"
                                             "3;a < 4;ja;;;\n"
                                             "4;b = b + a;;;1;\n"
                                             "5;a = a * 2;;2;;\n"
                                             "6;a < 4;ja;;;\n"
                                             "7;b = b + a;;;3;\n"
                                             "8;a = a * 2;;4;;\n"
                                             "9;a < 4;nein;;;\n"
                                             "10;int[] f = {a, b};;;;[4, 3]\n");
    qputenv("LC_ALL", locale);
    // On paper: printed to a PDF file where no printer is.
    const QString pdf = dir.filePath(QStringLiteral("protokoll.pdf"));
    dialogs.answerPrint(pdf);
    trace.print();
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(4) == "%PDF");
    EXPECT_GT(printed.size(), 1000);

    QTableView& table = *trace.tableView();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                      table.visualRect(trace.model()->index(6, 1)).center());
    settle();
    EXPECT_EQ(form->ActiveWindow()->currentElement(), element({2, 1, 0}));
}

// How often each element ran, on the elements after the run: a branch that never ran stands in grey.
TEST_F(RunTest, TheCountsShowOnTheElementsAndMarkWhatNeverRan)
{
    startOn("int a = 5; if (a > 9) { a = 0; } else { a = 1; }");
    trigger("Ablaufzaehlung1");
    for (int step = 0; step < 4; ++step)
        key(Qt::Key_F10);
    ASSERT_EQ(session().state(), SessionState::Finished);
    const QRgb grey = toQColor(kNeverRanFill).rgb();
    const auto greyIn = [&](const TElement* e) {
        const QImage image = whole().drawingWidget()->grab().toImage();
        const QRect r = *whole().elementRect(const_cast<TElement*>(e));
        int pixels = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                pixels += image.pixel(x, y) == grey;
        return pixels;
    };
    for (const bool flowchart : {false, true}) {
        trigger(flowchart ? "Flussdiagramm1" : "Struktogramm1");
        settle();
        EXPECT_GT(greyIn(element({1, 1, 0})), 100);
        EXPECT_EQ(greyIn(element({1, 2, 0})), 0);
    }
    // An edit drops the counts with the run.
    whole().setCurrent(element({0}));
    key(Qt::Key_Delete);
    EXPECT_EQ(run().marks().counts, nullptr);
}

TEST_F(RunTest, EditingDuringAPauseEndsTheRunAndRunningChangesNothing)
{
    startOn(kLoopWithDecision);
    key(Qt::Key_F10);
    key(Qt::Key_F10);
    ASSERT_EQ(session().state(), SessionState::Paused);
    EXPECT_FALSE(form->document().isModified());
    whole().setCurrent(element({2}));
    key(Qt::Key_Delete);
    EXPECT_EQ(session().state(), SessionState::Idle);
    EXPECT_EQ(status(), uitexts::runEndedByEdit());
    EXPECT_FALSE(run().marks().running.element.element);
    EXPECT_EQ(run().variablesView()->topLevelItemCount(), 0);
    EXPECT_EQ(form->document().undoHistory().snapshotCount(), 1);
}

// The console is the program's terminal: a line typed ahead stands in it at once; when the program reads
// and nothing was typed, the console's input line waits, without a dialog, while the windows and the
// status show the step that reads (also at full speed); the answer stands after the question.
TEST_F(RunTest, AProgramReadsWhatIsTypedIntoTheConsole)
{
    startOn("Scanner sc = new Scanner(System.in); int a = sc.nextInt(); System.out.print(\"b: \");"
            "int b = sc.nextInt(); System.out.println(a + b);");
    QLineEdit* line = run().console()->input();
    QTest::keyClicks(line, QStringLiteral("3"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(run().console()->output()->toPlainText(), QStringLiteral("3\n"));
    trigger("Geschwindigkeit0");
    // The program waits inside the run's step: what the test does there, a timer does.
    QString waitingStatus;
    const TElement* waitingAt = nullptr;
    bool focused = false;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        if (!run().console()->waiting())
            return;
        typist.stop();
        waitingStatus = status();
        waitingAt = run().marks().running.element.element;
        focused = QApplication::focusWidget() == line;
        QTest::keyClicks(line, QStringLiteral("4"));
        QTest::keyClick(line, Qt::Key_Return);
    });
    typist.start(5);
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Finished; }, 5000));
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(run().console()->output()->toPlainText(), QStringLiteral("3\nb: 4\n7\n"));
    EXPECT_EQ(waitingAt, element({3}));
    EXPECT_TRUE(focused);
    EXPECT_EQ(waitingStatus.toStdString(),
              uitexts::runWaiting(QStringLiteral("int b = sc.nextInt()"), 4).toStdString());
    EXPECT_EQ(status().toStdString(), uitexts::runFinished(0, 5).toStdString());
}

// Beenden while the program waits for a line ends the wait and the run.
TEST_F(RunTest, StoppingARunThatWaitsForInputEndsTheWait)
{
    startOn("Scanner sc = new Scanner(System.in); int a = sc.nextInt(); System.out.println(a);");
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (run().console()->waiting()) {
            stopper.stop();
            trigger("Beenden1");
        }
    });
    stopper.start(5);
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Stopped; }, 5000));
    EXPECT_FALSE(run().console()->waiting());
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(status(), uitexts::runStopped(2));
}

// With the console closed by the user, an input box asks, above its field what the program wrote since
// it last read (a question written with println too); its "Abbrechen" ends the run.
TEST_F(RunTest, WithTheConsoleClosedAnInputBoxShowsTheProgramsQuestion)
{
    startOn("Scanner sc = new Scanner(System.in); System.out.println(\"Zwei Zahlen, bitte:\");"
            "System.out.println(\"die erste\"); int a = sc.nextInt(); System.out.print(\"b: \");"
            "int b = sc.nextInt(); System.out.println(a + b);");
    key(Qt::Key_F10);
    run().consoleDock()->close();
    dialogs.answerInput(QStringLiteral("5"));
    dialogs.cancelInput();
    trigger("Geschwindigkeit0");
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Cancelled; }, 5000));
    EXPECT_FALSE(run().consoleDock()->isVisible());
    EXPECT_EQ(status(), uitexts::runCancelled());
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[0].prompt,
              QStringLiteral("Zwei Zahlen, bitte:\ndie erste\nEingabe für „int a = sc.nextInt()“:"));
    EXPECT_EQ(dialogs.calls()[1].prompt, QStringLiteral("b: \nEingabe für „int b = sc.nextInt()“:"));
}

// Texts that are not Java are listed, all in one check, and nothing runs; every faulty element is marked
// in the windows and the Java view, and a click on a listed problem makes its element current.
TEST_F(RunTest, ProblemsAreListedMarkedAndLeadToTheirElements)
{
    std::unique_ptr<TBlock> root = ParseText("Eingabe x; ausgeben(x); int a = 1; if (a > 0) { b = a; }");
    append(*root, TAnweisung::Create("a <- 2"));
    start(writeDesign("fehler.str", *root));
    form->mdiArea()->setActiveSubWindow(&whole());
    settle();
    key(Qt::Key_F5);
    EXPECT_EQ(session().state(), SessionState::Idle);
    EXPECT_TRUE(run().consoleDock()->isVisible());
    EXPECT_EQ(status(), uitexts::runCannotStart(4));
    const TElement* faulty[] = {element({0}), element({1}), element({3, 1, 0}), element({4})};
    const TRunMarks& marks = run().marks();
    ASSERT_EQ(marks.failed.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(marks.failed[i].element.element, faulty[i]) << i;
    const QImage image = whole().drawingWidget()->grab().toImage();
    const QRect second = *whole().elementRect(const_cast<TElement*>(faulty[1]));
    int filled = 0;
    for (int y = second.top(); y <= second.bottom(); ++y)
        for (int x = second.left(); x <= second.right(); ++x)
            filled += image.pixel(x, y) == toQColor(kFailedFill).rgb();
    EXPECT_GT(filled, second.width() * second.height() / 2);
    TJavaView& java = *run().javaView();
    ASSERT_EQ(java.failedLines().size(), 4u);
    EXPECT_EQ(java.failedLines()[2], java.lines().stepLines(faulty[2]));

    QPlainTextEdit* output = run().console()->output();
    const QStringList lines = output->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[3].contains(QStringLiteral("Unbekannte Variable „b“ in „b = a“")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[4].contains(QStringLiteral("„a = 2;“"))) << lines[4].toStdString();
    const QRect third = output->cursorRect(QTextCursor(output->document()->findBlockByNumber(3)));
    QTest::mouseClick(output->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(whole().currentElement(), faulty[2]);

    // The marks go with the next change of the design.
    whole().setCurrent(element({2}));
    key(Qt::Key_Delete);
    EXPECT_TRUE(run().marks().failed.empty());
}

TEST_F(RunTest, TheJavaViewFollowsTheCurrentElementAndItsLinesSelectElements)
{
    startOn(kLoopWithDecision);
    TJavaView& java = *run().javaView();
    ASSERT_TRUE(java.isVisible());
    EXPECT_FALSE(run().variablesDock()->isVisible());
    whole().setCurrent(element({1}));
    EXPECT_EQ(java.currentLines(), java.lines().linesOf(element({1})));

    const int line = java.lines().stepLines(element({1, 1, 0, 2, 0}))->first; // s = s - 1;
    const int height = java.viewport()->fontMetrics().height();
    QTest::mouseClick(java.viewport(), Qt::LeftButton, {}, QPoint(40, line * height + height / 2));
    EXPECT_EQ(whole().currentElement(), element({1, 1, 0, 2, 0}));
    EXPECT_EQ(java.currentLines(), std::make_pair(line, line));

    // After a change the text is made again once, and a click reaches the element of the new text.
    whole().setCurrent(element({0}));
    key(Qt::Key_Delete);
    EXPECT_TRUE(java.upToDate());
    QTest::mouseClick(java.viewport(), Qt::LeftButton, {}, QPoint(40, height / 2));
    EXPECT_EQ(whole().currentElement(), element({0}));
    EXPECT_EQ(element({0})->kind(), Kind::For);

    // A line whose element the active window does not show makes it current in the whole-design window.
    TForm1* body = form->openBlockWindow(asBlock(element({0, 1})));
    settle();
    ASSERT_EQ(form->ActiveWindow(), body);
    const int last = java.lines().stepLines(element({1}))->first; // System.out.println(s);
    java.moveCursorTo(last);
    settle();
    EXPECT_EQ(form->ActiveWindow(), &whole());
    EXPECT_EQ(whole().currentElement(), element({1}));
}

// Undo makes every element anew: the breakpoints are found again on the same elements; another design
// starts without any.
TEST_F(RunTest, BreakpointsOutliveUndoButNotAnotherDesign)
{
    startOn(kLoopWithDecision);
    whole().setCurrent(element({2}));
    key(Qt::Key_F9);
    whole().setCurrent(element({0}));
    key(Qt::Key_Delete);
    trigger("Rckgngig1");
    const TElement* println = element({2});
    EXPECT_EQ(session().breakpoints(), (std::vector<runtime::ElementId>{{println, println->serial()}}));
    EXPECT_EQ(run().marks().breakpoints.size(), 1u);

    dialogs.answerSaveChanges(SaveChoice::Nein);
    trigger("Neu1");
    EXPECT_TRUE(session().breakpoints().empty());
}

// The Java view is walked with the keyboard: Up and Down go to the next line that belongs to an element
// and make that element current; a screen reader reads the line the cursor stands on.
TEST_F(RunTest, TheJavaViewIsWalkedByKeyboardAndReadAloud)
{
    startOn(kLoopWithDecision);
    TJavaView& java = *run().javaView();
    whole().setCurrent(element({0}));
    java.setFocus();
    const auto press = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&java, k, modifiers);
        settle();
        return whole().currentElement();
    };
    EXPECT_EQ(press(Qt::Key_Down), element({1}));
    EXPECT_EQ(press(Qt::Key_Down), element({1, 1, 0}));
    EXPECT_EQ(press(Qt::Key_Up), element({1}));
    EXPECT_EQ(press(Qt::Key_End, Qt::ControlModifier), element({2}));

    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&java);
    QAccessibleTextInterface* text = face->textInterface();
    ASSERT_TRUE(text);
    EXPECT_TRUE(face->state().readOnly);
    int start = 0;
    int end = 0;
    const QString line = text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end);
    EXPECT_EQ(line.trimmed(), QStringLiteral("System.out.println(s);"));
    EXPECT_EQ(text->text(start, end), line);
    EXPECT_EQ(text->textBeforeOffset(start, QAccessible::LineBoundary, &start, &end).trimmed(),
              QStringLiteral("}"));
}

// The console opening on the first run takes room from the frame: a diagram window that reached past the
// frame's area kept its lower part hidden under the console, where the running element could not be
// scrolled into sight.
TEST_F(RunTest, DiagramWindowsShrinkIntoTheFrameWhenADockTakesItsRoom)
{
    startOn(kLoopWithDecision);
    whole().setGeometry(form->mdiArea()->viewport()->rect());
    key(Qt::Key_F10);
    ASSERT_TRUE(run().console()->isVisible());
    EXPECT_TRUE(form->mdiArea()->viewport()->rect().contains(whole().geometry()));
}

} // namespace
