// The editor when memory runs out: every allocation of a megabyte or more fails, so a design with a text
// of 1.5 MB is shown but can be neither copied for undo, restored, nor put on the clipboard. Each such
// command ends with the memory message and leaves the design, its windows, the current element, the undo
// history, the modified mark and the clipboard as they were; the Java view says so in itself.

#include "model/editing.h"
#include "tests/support/failing_allocation.h"
#include "tests/ui/editor_fixture.h"

#include "parser/interpret.h"
#include "runtime/values.h"
#include "ui/javaview.h"
#include "ui/painterscope.h"
#include "ui/runcontroller.h"
#include "ui/variablesview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QPaintEngine>
#include <QTest>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST_F(EditorTest, CommandsThatRunOutOfMemoryChangeNothing)
{
    start();
    auto design = makeRoot();
    statement(*design, std::string(1500000, 'x'));
    TBlock* part = append(*design, TBlock::Create("Teil"));
    TAnweisung* current = statement(*design, "y = 1");
    form->document().replaceDesign(std::move(design), false);
    form->document().takeSnapshot(); // one step to undo, taken while memory lasts
    setText(*current, "y = 2");      // as every change of the tree, through the operation that reports it
    form->openBlockWindow(part);
    form->mdiArea()->setActiveSubWindow(&whole());
    whole().setCurrent(current);
    QApplication::clipboard()->setText(QStringLiteral("vorher"));
    settle();
    const TBlock* root = form->Design();
    const std::string before = dump();
    const QList<TForm1*> windows = form->diagramWindows();
    const TUndoHistory& history = form->document().undoHistory();

    failAllocationsFrom(1 << 20);
    for (const char* command : {"BAnweisung2", "InZwischenablage1", "Rckgngig1"}) {
        dialogs.acknowledgeError();
        trigger(command);
    }
    for (const Qt::Key key : {Qt::Key_Insert, Qt::Key_Delete}) {
        dialogs.acknowledgeError();
        QTest::keyClick(whole().scrollArea(), key);
    }
    // The Java view measures its lines again after the current event without making the text, and makes
    // only the part of the long line in sight: it needs no large piece of memory.
    TJavaView& java = *form->runController().javaView();
    java.textOutOfDate();
    settle();
    EXPECT_TRUE(java.upToDate());
    failAllocationsFrom(0);

    EXPECT_EQ(form->Design(), root);
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(form->diagramWindows(), windows);
    EXPECT_EQ(whole().currentElement(), current);
    EXPECT_EQ(history.snapshotCount(), 1);
    EXPECT_EQ(history.UndoPosition(), 0);
    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("vorher"));
    ASSERT_EQ(dialogs.callCount(DialogKind::Error), 5);
    for (const DialogCall& call : dialogs.calls())
        EXPECT_EQ(call.text, QStringLiteral("Nicht genug Arbeitsspeicher für diesen Befehl"));
}

// Every menu item, tool-bar button and key of a diagram window, each once with every allocation of 64 KiB
// or more failing, on a design with a text of 100,000 characters and an unsaved change that can be undone:
// none ends the editor, and each that reports the shortage leaves the design, the modified mark, the undo
// history and the clipboard as they were.
TEST_F(EditorTest, NoCommandThatRunsOutOfMemoryEndsTheEditorOrLosesAnything)
{
    auto design = everyKindDesign();
    statement(*design, std::string(100000, 'x'));
    const std::string file = writeDesign("gross.str", *design);
    dialogs.answerEveryDialog(QString::fromStdString(file), QString::fromStdString(path("ausgabe")),
                              QString::fromStdString(path("druck.pdf")));

    struct Command
    {
        std::string name;
        std::function<void()> run;
    };
    std::vector<Command> commands;
    start(file);
    for (QAction* a : form->findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
        const std::string name = a->objectName().toStdString();
        if (!name.empty() && name != "Programmbeenden1")
            commands.push_back({name, [this, name] { trigger(name.c_str()); }});
    }
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Insert, Qt::NoModifier},  {Qt::Key_Delete, Qt::NoModifier},
        {Qt::Key_Return, Qt::NoModifier},  {Qt::Key_F2, Qt::NoModifier},
        {Qt::Key_Up, Qt::NoModifier},      {Qt::Key_Down, Qt::NoModifier},
        {Qt::Key_Left, Qt::NoModifier},    {Qt::Key_Right, Qt::NoModifier},
        {Qt::Key_Up, Qt::ControlModifier}, {Qt::Key_Down, Qt::ControlModifier},
        {Qt::Key_Escape, Qt::NoModifier}};
    for (const auto& [key, modifiers] : keys) {
        commands.push_back(
            {"Taste " + QKeySequence(key | modifiers).toString().toStdString(),
             [this, key, modifiers] { QTest::keyClick(whole().scrollArea(), key, modifiers); }});
    }
    // Assistive technology asks the toolkit for the elements' names at any time.
    commands.push_back({"Namen für Hilfsmittel", [this] {
                            std::vector<QAccessibleInterface*> open{
                                QAccessible::queryAccessibleInterface(whole().scrollArea())};
                            while (!open.empty()) {
                                QAccessibleInterface* item = open.back();
                                open.pop_back();
                                item->text(QAccessible::Name);
                                for (int i = 0; i < item->childCount(); ++i)
                                    open.push_back(item->child(i));
                            }
                        }});
    ASSERT_GT(commands.size(), 40u);

    // The editor is started anew only after a command that changed the design or its history.
    std::string baseline;
    const auto changed = [&] {
        const TUndoHistory& history = form->document().undoHistory();
        return dump() != baseline || history.snapshotCount() != 1 || history.UndoPosition() != 0 ||
               !form->document().isModified() || form->diagramWindows().size() != 1;
    };
    int shortages = 0;
    for (const Command& command : commands) {
        if (baseline.empty() || changed()) {
            start(file);
            // The long statement is current; an inserted statement is a step to undo and an unsaved change.
            whole().setCurrent(at(*form->Design(), {0}));
            trigger("BAnweisung2");
            baseline = dump();
        }
        whole().setCurrent(at(*form->Design(), {1}));
        QApplication::clipboard()->setText(QStringLiteral("vorher"));
        settle();
        dialogs.clearLog();

        failAllocationsFrom(1 << 16);
        command.run();
        settle();
        failAllocationsFrom(0);

        const bool shortage =
            std::any_of(dialogs.calls().begin(), dialogs.calls().end(), [](const DialogCall& c) {
                return c.kind == DialogKind::Error &&
                       c.text == QStringLiteral("Nicht genug Arbeitsspeicher für diesen Befehl");
            });
        if (!shortage)
            continue;
        ++shortages;
        EXPECT_FALSE(changed()) << command.name;
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("vorher")) << command.name;
    }
    EXPECT_GE(shortages, 20);
}

// A run that runs out of memory ends as failed for memory, with its values let go before anything shows
// it, and without a message box between the steps; the editor goes on. So it ends when the program's own
// allocation fails, and when memory runs out outside the program, here in showing the variables.
TEST_F(EditorTest, RunThatRunsOutOfMemoryEndsAndTheEditorGoesOn)
{
    const std::size_t before = runtime::heapInUse();
    auto program = ParseText("int[] kept = new int[100000]; kept[0] = 1; int[] huge = new int[400000000];");
    start(writeDesign("lauf.str", *program));
    const std::string design = dump();
    const auto& session = form->runController().session();
    for (int step = 0; step < 3; ++step)
        trigger("Einzelschritt1");
    EXPECT_GT(runtime::heapInUse(), before + 400000);
    trigger("Einzelschritt1");
    ASSERT_EQ(session.state(), runtime::SessionState::Failed);
    EXPECT_TRUE(session.error()->outOfMemory);
    EXPECT_EQ(runtime::heapInUse(), before);
    EXPECT_EQ(form->runController().variablesView()->topLevelItemCount(), 0);
    EXPECT_TRUE(
        form->findChild<QLabel*>(QStringLiteral("RunStatus"))->text().contains(QStringLiteral("Speicher")));

    // Shown variables need an allocation of 32,000 bytes (a thousand elements of the kept array).
    for (int step = 0; step < 2; ++step)
        trigger("Einzelschritt1");
    ASSERT_EQ(session.next().element, at(*form->Design(), {1}));
    failAllocationsFrom(1 << 14);
    trigger("Einzelschritt1");
    failAllocationsFrom(0);
    EXPECT_EQ(session.state(), runtime::SessionState::Failed);
    EXPECT_EQ(runtime::heapInUse(), before);
    EXPECT_EQ(dialogs.callCount(DialogKind::Error), 0);

    whole().setCurrent(at(*form->Design(), {0}));
    dialogs.answerInput(QStringLiteral("x = 1"));
    trigger("BAnweisung2");
    EXPECT_NE(dump(), design);
}

// A device whose document runs out of memory when it is ended, as a PDF or SVG document that is written
// at its end does.
class EndFailingEngine final : public QPaintEngine
{
public:
    enum class End { Succeeds, Fails, RunsOutOfMemory };
    End ending = End::RunsOutOfMemory;
    int ends = 0;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override
    {
        ++ends;
        if (ending == End::RunsOutOfMemory)
            throw std::bad_alloc();
        return ending == End::Succeeds;
    }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return QPaintEngine::User; }
};

class EndFailingDevice final : public QPaintDevice
{
public:
    EndFailingEngine engine;
    QPaintEngine* paintEngine() const override { return const_cast<EndFailingEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        default:
            return 100;
        }
    }
};

// A painter ended while a failure unwinds, whose end runs out of memory too, leaves the first failure to
// the caller instead of ending the program; an end that fails or runs out of memory is reported once and
// never tried again.
TEST(PainterScopeTest, EndingThatFailsNeverEndsTheProgram)
{
    EndFailingDevice unwinding;
    EXPECT_THROW(
        {
            TPainterScope scope(unwinding);
            ASSERT_TRUE(scope.begun());
            scope.painter().drawLine(0, 0, 10, 10);
            throw DesignError(ErrorReason::StreamWrite);
        },
        DesignError);
    EXPECT_EQ(unwinding.engine.ends, 1);

    EndFailingDevice ending;
    EXPECT_THROW(
        {
            TPainterScope scope(ending);
            scope.end();
        },
        std::bad_alloc);
    EXPECT_EQ(ending.engine.ends, 1);

    EndFailingDevice failing;
    failing.engine.ending = EndFailingEngine::End::Fails;
    {
        TPainterScope scope(failing);
        EXPECT_FALSE(scope.end());
        EXPECT_FALSE(scope.end());
    }
    EXPECT_EQ(failing.engine.ends, 1);

    EndFailingDevice finishing;
    finishing.engine.ending = EndFailingEngine::End::Succeeds;
    {
        TPainterScope scope(finishing);
        EXPECT_TRUE(scope.end());
    }
    EXPECT_EQ(finishing.engine.ends, 1);
    EXPECT_FALSE(finishing.paintingActive());
}

} // namespace
