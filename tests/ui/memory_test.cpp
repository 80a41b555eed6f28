// The editor when memory runs out: every allocation of a megabyte or more fails, so a design with a text
// of 1.5 MB is shown but can be neither copied for undo, restored, nor put on the clipboard. Each such
// command ends with the memory message and leaves the design, its windows, the current element, the undo
// history, the modified mark and the clipboard as they were; the Java view says so in itself.

#include "tests/support/failing_allocation.h"
#include "tests/ui/editor_fixture.h"
#include "ui/javaview.h"
#include "ui/painterscope.h"
#include "ui/runcontroller.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QPaintEngine>
#include <QTest>

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
    current->Text = "y = 2";
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
    // The Java view, made again after the current event, shows the shortage itself.
    TJavaView& java = *form->runController().javaView();
    java.textOutOfDate();
    settle();
    EXPECT_FALSE(java.upToDate());
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
