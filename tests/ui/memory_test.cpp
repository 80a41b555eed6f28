// The editor when memory runs out: every allocation of a megabyte or more fails, so a design with a text
// of 1.5 MB is shown but can be neither copied for undo, restored, nor put on the clipboard. Each such
// command ends with the memory message and leaves the design, its windows, the current element, the undo
// history, the modified mark and the clipboard as they were; the Java view says so in itself.

#include "model/editing.h"
#include "tests/support/failing_allocation.h"
#include "tests/ui/editor_fixture.h"
#include "ui/javaview.h"
#include "ui/runcontroller.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
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

} // namespace
