// Watching a design run: single steps shown in every window and both drawing modes, breakpoints, stopping
// an endless loop, input, editing during a run, and the Java view beside the diagrams.

#include "tests/ui/editor_fixture.h"

#include "model/diagramview.h"
#include "model/drawing.h"
#include "parser/interpret.h"
#include "ui/consoleview.h"
#include "ui/javaview.h"
#include "ui/qtcanvas.h"
#include "ui/runcontroller.h"
#include "ui/uitexts.h"
#include "ui/variablesview.h"

#include <QAccessible>
#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QTest>

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
    QTreeWidgetItem* s = run().variablesView()->topLevelItem(1);
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
    EXPECT_EQ(run().variablesView()->topLevelItem(2)->text(2), QStringLiteral("2")); // i
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

TEST_F(RunTest, InputComesFromTheConsoleLineOrADialogWhoseCancelEndsTheRun)
{
    startOn("Scanner sc = new Scanner(System.in); int a = sc.nextInt(); System.out.print(\"b: \");"
            "int b = sc.nextInt(); System.out.println(a + b);");
    QLineEdit* line = run().console()->input();
    QTest::keyClicks(line, QStringLiteral("3"));
    QTest::keyClick(line, Qt::Key_Return);
    dialogs.answerInput(QStringLiteral("4"));
    trigger("Geschwindigkeit0");
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Finished; }, 5000));
    EXPECT_EQ(dialogs.lastCall(DialogKind::Input)->prompt,
              QStringLiteral("Eingabe für „int b = sc.nextInt()“:"));
    EXPECT_EQ(run().console()->output()->toPlainText(), QStringLiteral("3\nb: 4\n7\n"));

    // With the console closed, the dialog shows what the program asked.
    run().consoleDock()->hide();
    dialogs.answerInput(QStringLiteral("5"));
    dialogs.cancelInput();
    trigger("Starten1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return session().state() == SessionState::Cancelled; }, 5000));
    EXPECT_EQ(status(), uitexts::runCancelled());
    EXPECT_EQ(dialogs.lastCall(DialogKind::Input)->prompt,
              QStringLiteral("b:\nEingabe für „int b = sc.nextInt()“:"));
}

// Texts that are not Java are listed, and nothing runs.
TEST_F(RunTest, ProblemsAreListedAndTheRunDoesNotStart)
{
    startOn("int a = 1; b = a;");
    key(Qt::Key_F5);
    EXPECT_EQ(session().state(), SessionState::Idle);
    EXPECT_TRUE(run().consoleDock()->isVisible());
    EXPECT_TRUE(run().console()->output()->toPlainText().contains(QStringLiteral("„b = a“")));
    EXPECT_EQ(status(), uitexts::runCannotStart(1));
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
