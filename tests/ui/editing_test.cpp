// Editing through the diagram windows: insert, delete, edit text and refine by every route a user takes
// (tool bars, menus, pop-up menu, keys), the arrow-key walks, the undo history, the unsaved-changes
// state, and windows whose current element or shown block another window has removed.

#include "tests/ui/editor_fixture.h"

#include "model/javalines.h"
#include "model/texts.h"
#include "ui/javaview.h"
#include "ui/runcontroller.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>

#include <functional>

namespace {

class EditingTest : public EditorTest
{
protected:
    // Starts on `design` (written to a file and opened, as a user would) with the whole-design window
    // active and focused.
    TForm2& startOn(std::unique_ptr<TBlock> design)
    {
        start(writeDesign("design.str", *design));
        focus(whole());
        return *form;
    }
    void focus(TForm1& window)
    {
        form->mdiArea()->setActiveSubWindow(&window);
        window.scrollArea()->setFocus();
    }
    void key(TForm1& window, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window.scrollArea(), k, modifiers);
    }
    // Triggers the item of the window's pop-up menu with that object name.
    void popup(TForm1& window, const char* name)
    {
        auto* item = window.PopupMenu1->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
    }
    int undoSteps() { return form->document().undoHistory().snapshotCount(); }
    TElement* element(std::initializer_list<int> path) { return at(*form->Design(), path); }
};

// The kinds the insert routes create, with the prompt each asks for the new element's text.
struct InsertRoute
{
    const char* sender; // object name of the item or button
    enum Where { ToolBar2, ToolBar1, Menu, Popup } where;
    char letter; // the dump's class letter
};

TEST_F(EditingTest, EveryInsertRouteCreatesItsKindAndAsksForItsText)
{
    const InsertRoute routes[] = {
        {"BAnweisung2", InsertRoute::ToolBar2, 'A'},
        {"BIfAnweisung2", InsertRoute::ToolBar2, 'I'},
        {"BWhileSchleife2", InsertRoute::ToolBar2, 'W'},
        {"BForSchleife2", InsertRoute::ToolBar2, 'F'},
        {"BDoWhileSchleife2", InsertRoute::ToolBar2, 'D'},
        {"BAnweisung", InsertRoute::ToolBar1, 'A'},
        {"BIfAnweisung", InsertRoute::ToolBar1, 'I'},
        {"BWhileSchleife", InsertRoute::ToolBar1, 'W'},
        {"BForSchleife", InsertRoute::ToolBar1, 'F'},
        {"BDoWhileSchleife", InsertRoute::ToolBar1, 'D'},
        {"Anweisung", InsertRoute::Menu, 'A'},
        {"IfAnweisung", InsertRoute::Menu, 'I'},
        {"WhileSchleife", InsertRoute::Menu, 'W'},
        {"DoWhileSchleife", InsertRoute::Menu, 'D'},
        {"ForSchleife", InsertRoute::Menu, 'F'},
        {"Anweisung", InsertRoute::Popup, 'A'},
        {"IfAnweisung", InsertRoute::Popup, 'I'},
        {"WhileSchleife", InsertRoute::Popup, 'W'},
        {"DoWhileSchleife", InsertRoute::Popup, 'D'},
    };
    for (const InsertRoute& route : routes) {
        SCOPED_TRACE(std::string(route.sender) + " " + std::to_string(route.where));
        start();
        focus(whole());
        if (route.where == InsertRoute::ToolBar1)
            trigger("Flussdiagramm1");
        key(whole(), Qt::Key_Down); // nothing current: the shown block becomes current
        ASSERT_EQ(whole().currentElement(), form->Design());

        if (route.letter == 'F')
            dialogs.answerCountingLoop(LoopButton::Ok, std::array<QString, 3>{"i", "1", "10"});
        else
            dialogs.answerInput(QStringLiteral("neu"));
        switch (route.where) {
        case InsertRoute::ToolBar1:
        case InsertRoute::ToolBar2:
            clickToolButton(route.sender);
            break;
        case InsertRoute::Menu:
            trigger(route.sender);
            break;
        case InsertRoute::Popup:
            popup(whole(), route.sender);
            break;
        }
        TElement* inserted = form->Design()->FirstChild.get();
        ASSERT_NE(inserted, nullptr);
        EXPECT_EQ(dumpTree(*inserted).at(0), route.letter);
        EXPECT_EQ(inserted->Text, route.letter == 'F' ? "i von 1 bis 10" : "neu");
        EXPECT_EQ(whole().currentElement(), inserted);
        EXPECT_EQ(undoSteps(), 1);
        EXPECT_TRUE(form->document().isModified());
        if (route.letter == 'F') {
            EXPECT_EQ(dialogs.lastCall(DialogKind::CountingLoop)->loopFields,
                      (std::array<QString, 3>{"?", "?", "?"}));
        } else {
            const DialogCall* call = dialogs.lastCall(DialogKind::Input);
            const bool statement = route.letter == 'A';
            EXPECT_EQ(call->text, statement ? QStringLiteral("Anweisung") : QStringLiteral("???"));
            EXPECT_EQ(call->caption, statement             ? QStringLiteral("Anweisung")
                                     : route.letter == 'I' ? QStringLiteral("If-Anweisung")
                                                           : QStringLiteral("Schleife"));
            EXPECT_EQ(call->prompt, statement ? QStringLiteral("Gib eine neue Anweisung ein:")
                                              : QStringLiteral("Gib eine neue Bedingung ein:"));
        }
        finish();
        dialogs.clearLog();
    }
}

// The pop-up offers every element the tool bar offers (the repeat-until loop is the flowchart's only).
TEST_F(EditingTest, PopupMenuHoldsItsItemsAndHidesTheRepeatItem)
{
    start();
    QMenu* menu = whole().PopupMenu1;
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : QString(a->text()).remove(QLatin1Char('&'))) +
                     (a->isVisible() ? "" : " (hidden)");
    EXPECT_EQ(items, QStringList({"Einfügen", "Text bearbeiten", "Genauer bestimmen", "Löschen",
                                  "Ausschneiden", "Element kopieren", "Element einfügen", "-",
                                  "Anzeige verkleinern/vergrößern", "In neuem Fenster anzeigen"}));
    QStringList inserts;
    for (QAction* a : menu->actions().first()->menu()->actions())
        inserts << (a->isSeparator() ? QStringLiteral("-") : QString(a->text()).remove(QLatin1Char('&'))) +
                       (a->isVisible() ? "" : " (hidden)");
    EXPECT_EQ(inserts,
              QStringList({"Anweisung", "-", "Entscheidung", "-", "Schleife (Test vorher)",
                           "Schleife (Test danach)", "Schleife (Test danach) (hidden)", "Zählschleife"}));
}

TEST_F(EditingTest, InsertWithoutCurrentElementOrCancelledChangesNothing)
{
    startOn(everyKindDesign());
    const std::string before = dump();
    key(whole(), Qt::Key_Insert); // nothing current
    trigger("BAnweisung2");
    EXPECT_EQ(dialogs.calls().size(), 0u);

    whole().setCurrent(element({1}));
    form->document().takeSnapshot(); // one step already in the history
    form->document().markSaved();
    const TSnapshot* slot1 = form->document().undoHistory().slot(1);
    enum class Leave { CancelInput, Abbrechen, CloseBox };
    const std::pair<const char*, Leave> cancelled[] = {{"BAnweisung2", Leave::CancelInput},
                                                       {"BIfAnweisung2", Leave::CancelInput},
                                                       {"BDoWhileSchleife2", Leave::CancelInput},
                                                       {"BForSchleife2", Leave::Abbrechen},
                                                       {"BForSchleife2", Leave::CloseBox}};
    for (const auto& [sender, leave] : cancelled) {
        SCOPED_TRACE(sender);
        whole().setCurrent(element({1}));
        if (leave == Leave::CancelInput)
            dialogs.cancelInput();
        else
            dialogs.answerCountingLoop(leave == Leave::Abbrechen ? LoopButton::Abbrechen
                                                                 : LoopButton::CloseBox);
        clickToolButton(sender);
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(undoSteps(), 1);
        EXPECT_EQ(form->document().undoHistory().slot(1), slot1);
        EXPECT_EQ(form->document().undoHistory().UndoPosition(), 0);
        EXPECT_FALSE(form->document().isModified());
        EXPECT_EQ(whole().currentElement(), nullptr);
    }
}

TEST_F(EditingTest, InsertGoesAfterAnElementAndFirstIntoABlock)
{
    startOn(everyKindDesign());
    TElement* decision = element({1});
    whole().setCurrent(decision);
    dialogs.answerInput(QStringLiteral("nach"));
    key(whole(), Qt::Key_Insert);
    EXPECT_EQ(decision->Next->Text, "nach");

    whole().setCurrent(decision);
    key(whole(), Qt::Key_Left); // the yes branch
    EXPECT_EQ(whole().currentElement(), element({1, 1}));
    dialogs.answerInput(QStringLiteral("zuerst"));
    key(whole(), Qt::Key_Insert);
    EXPECT_EQ(element({1, 1, 0})->Text, "zuerst");
    EXPECT_EQ(element({1, 1, 1})->Text, "b");
    EXPECT_EQ(undoSteps(), 2);
}

TEST_F(EditingTest, InsertIntoACollapsedBlockTogglesItInEveryWindow)
{
    startOn(everyKindDesign());
    auto* teil = static_cast<TBlock*>(element({3}));
    whole().setCurrent(teil);
    popup(whole(), "InneuemFensteranzeigen1");
    TForm1* block = form->diagramWindows()[1];
    TForm1* other = form->openBlockWindow(form->Design());
    whole().setCurrent(teil);
    popup(whole(), "Anzeigeverkleinernvergrern1");
    ASSERT_TRUE(whole().Options->IsCollapsed(teil));
    focus(whole());
    dialogs.answerInput(QStringLiteral("hinein"));
    key(whole(), Qt::Key_Insert);
    EXPECT_EQ(teil->FirstChild->Text, "hinein");
    EXPECT_FALSE(whole().Options->IsCollapsed(teil));
    EXPECT_TRUE(block->Options->IsCollapsed(teil));
    EXPECT_TRUE(other->Options->IsCollapsed(teil));
}

TEST_F(EditingTest, DeleteRemovesTheCurrentElementAndEmptiesAShownOrBranchBlock)
{
    startOn(everyKindDesign());
    whole().setCurrent(element({0}));
    key(whole(), Qt::Key_Delete);
    EXPECT_EQ(element({0})->Text, "x > 0");
    EXPECT_EQ(whole().currentElement(), nullptr);
    EXPECT_EQ(undoSteps(), 1);

    whole().setCurrent(element({0, 1})); // the yes branch
    popup(whole(), "Lschen1");
    EXPECT_EQ(element({0, 1, 0}), nullptr);
    EXPECT_NE(element({0, 1}), nullptr);

    whole().setCurrent(form->Design());
    key(whole(), Qt::Key_Delete);
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
    EXPECT_EQ(undoSteps(), 3);
    EXPECT_EQ(form->document().parkedCount(), 0);
}

TEST_F(EditingTest, EditTextByKeyAndPopupWithLimitAndCancel)
{
    startOn(everyKindDesign());
    whole().setCurrent(element({0}));
    dialogs.answerInput(QString(300, QLatin1Char('x')));
    key(whole(), Qt::Key_Return);
    EXPECT_EQ(element({0})->Text, std::string(255, 'x'));
    EXPECT_EQ(undoSteps(), 1);

    // A longer text from a file is not cut by confirming it unchanged.
    element({0})->Text = std::string(400, 'y');
    dialogs.answerInput(QString(400, QLatin1Char('y')));
    popup(whole(), "Textbearbeiten1");
    EXPECT_EQ(element({0})->Text.size(), 400u);

    form->document().markSaved();
    dialogs.cancelInput();
    key(whole(), Qt::Key_Enter);
    EXPECT_EQ(element({0})->Text.size(), 400u);
    EXPECT_EQ(undoSteps(), 1); // neither the unchanged nor the cancelled edit takes a step
    EXPECT_FALSE(form->document().isModified());

    struct Row
    {
        std::initializer_list<int> path;
        const char* caption;
    };
    const Row rows[] = {{{1}, "If-Anweisung"}, {{2}, "Schleife"}, {{3, 1}, "Schleife"}, {{5}, "Schleife"}};
    for (const Row& row : rows) {
        whole().setCurrent(element(row.path));
        dialogs.answerInput(QStringLiteral("bedingung"));
        key(whole(), Qt::Key_Return);
        EXPECT_EQ(dialogs.lastCall(DialogKind::Input)->caption, QString::fromUtf8(row.caption));
        EXPECT_EQ(element(row.path)->Text, "bedingung");
    }
}

TEST_F(EditingTest, EditTextOfACountingLoopUsesTheCountingLoopDialog)
{
    startOn(everyKindDesign());
    TElement* loop = element({4});
    whole().setCurrent(loop);
    dialogs.answerCountingLoop(LoopButton::Ok, std::array<QString, 3>{"k", "0", "n - 1"});
    key(whole(), Qt::Key_Return);
    EXPECT_EQ(dialogs.lastCall(DialogKind::CountingLoop)->loopFields,
              (std::array<QString, 3>{"i", "1", "10"}));
    EXPECT_EQ(loop->Text, "k von 0 bis n - 1");
    for (LoopButton button : {LoopButton::Abbrechen, LoopButton::CloseBox}) {
        dialogs.answerCountingLoop(button, std::array<QString, 3>{"x", "y", "z"});
        key(whole(), Qt::Key_Return);
        EXPECT_EQ(loop->Text, "k von 0 bis n - 1");
    }
    EXPECT_EQ(undoSteps(), 1);
}

TEST_F(EditingTest, EditTextOfABlockInsertsAStatementIntoIt)
{
    startOn(everyKindDesign());
    auto* teil = static_cast<TBlock*>(element({3}));
    whole().setCurrent(teil);
    dialogs.answerInput(QStringLiteral("neu im Block"));
    key(whole(), Qt::Key_Return);
    EXPECT_EQ(teil->Text, "Teil");
    EXPECT_EQ(teil->FirstChild->Text, "neu im Block");
    EXPECT_EQ(undoSteps(), 1);

    form->document().markSaved();
    whole().setCurrent(teil);
    dialogs.cancelInput();
    key(whole(), Qt::Key_Return);
    EXPECT_EQ(teil->FirstChild->Text, "neu im Block");
    EXPECT_EQ(undoSteps(), 1);
    EXPECT_FALSE(form->document().isModified());
}

// Found trying the editor: F2 and Esc, or OK without a change, took one of the ten undo steps, and undoing
// it set the unsaved star. An edit that changes nothing leaves the history, the modified mark, the caption
// and the undo and redo items as they were.
TEST_F(EditingTest, AnEditThatChangesNothingLeavesHistoryMarkAndUndoItemAlone)
{
    startOn(everyKindDesign());
    const QString caption = form->windowTitle();
    const auto editWithoutChange = [this] {
        whole().setCurrent(element({0}));
        dialogs.cancelInput();
        key(whole(), Qt::Key_F2);
        dialogs.answerInput(QString::fromStdString(element({0})->Text));
        key(whole(), Qt::Key_Return);
        whole().setCurrent(element({4}));
        dialogs.answerCountingLoop(LoopButton::Ok);
        key(whole(), Qt::Key_F2);
    };
    editWithoutChange();
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_FALSE(action("Rckgngig1")->isEnabled());
    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(form->windowTitle(), caption);

    // After a change taken back, redo stays possible, and undo still has exactly the one step.
    whole().setCurrent(element({0}));
    dialogs.answerInput(QStringLiteral("geaendert"));
    key(whole(), Qt::Key_F2);
    trigger("Rckgngig1");
    editWithoutChange();
    EXPECT_TRUE(action("Wiederherstellen1")->isEnabled());
    EXPECT_FALSE(action("Rckgngig1")->isEnabled());
    trigger("Wiederherstellen1");
    EXPECT_EQ(element({0})->Text, "geaendert");
}

// Found trying the editor: the Java view showed the text before the last edit, because the change was
// announced before the input box and the view was made again while the box was open.
TEST_F(EditingTest, TheJavaViewShowsTheTextOfEveryEdit)
{
    startOn(everyKindDesign());
    TJavaView& java = *form->runController().javaView();
    form->runController().javaDock()->show();
    ASSERT_TRUE(java.isVisible());
    for (const char* text : {"erste Fassung", "zweite Fassung"}) {
        whole().setCurrent(element({0}));
        dialogs.answerInput(QString::fromUtf8(text));
        key(whole(), Qt::Key_F2);
        settle();
        EXPECT_NE(java.lines().text(0, java.lines().size()).find(text), std::string::npos) << text;
    }
    whole().setCurrent(element({2}));
    dialogs.answerInput(QStringLiteral("k < 3"));
    QTest::mouseDClick(whole().drawingWidget(), Qt::LeftButton, {},
                       whole().elementRect(element({2}))->topLeft() + QPoint(4, 4));
    settle();
    EXPECT_NE(java.lines().text(0, java.lines().size()).find("k < 3"), std::string::npos);
}

TEST_F(EditingTest, RefineReplacesAStatementByACollapsedNamedBlockInItsOwnWindow)
{
    startOn(everyKindDesign());
    const std::string before = dump();
    whole().setCurrent(element({0}));
    popup(whole(), "Genauerbestimmen1");
    auto* refined = asBlock(element({0}));
    ASSERT_NE(refined, nullptr);
    EXPECT_EQ(refined->Text, "a");
    EXPECT_TRUE(refined->Standalone);
    EXPECT_EQ(refined->FirstChild, nullptr);
    EXPECT_EQ(refined->Next.get(), element({1}));
    EXPECT_TRUE(whole().Options->IsCollapsed(refined));
    EXPECT_EQ(whole().currentElement(), refined);
    ASSERT_EQ(form->diagramWindows().size(), 2);
    TForm1* window = form->diagramWindows()[1];
    EXPECT_EQ(window->ShownBlock, refined);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("a"));
    EXPECT_EQ(form->ActiveWindow(), window);
    EXPECT_EQ(undoSteps(), 2);

    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->kind(), Kind::Anweisung);
    EXPECT_EQ(element({0})->Text, "a");
    ASSERT_TRUE(asBlock(element({1})));
    EXPECT_EQ(element({1})->Text, "a");
    trigger("Rckgngig1");
    EXPECT_EQ(dump(), before);

    // Anything but a statement or a block: the message, and nothing changes.
    focus(whole());
    whole().setCurrent(element({1}));
    dialogs.acknowledgeError();
    popup(whole(), "Genauerbestimmen1");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Error)->text,
              QStringLiteral("Nur Anweisungen können genauer spezifiziert werden"));
    whole().setCurrent(nullptr);
    dialogs.acknowledgeError();
    popup(whole(), "Genauerbestimmen1");
    EXPECT_EQ(dump(), before);

    // A block opens in a window of its own.
    whole().setCurrent(element({3}));
    popup(whole(), "Genauerbestimmen1");
    EXPECT_EQ(form->diagramWindows().size(), 2);
    EXPECT_EQ(dump(), before);
}

// Arrow keys from a current element (a path, or none) to the element they make current.
struct WalkCase
{
    Qt::Key key;
    std::vector<int> from; // {-1}: nothing current; {}: the root
    std::vector<int> to;   // {-1}: unchanged (nothing current)
};

TEST_F(EditingTest, ArrowKeysWalkTheTreeAsDesigned)
{
    // a; if x > 0 (yes: b; no: -); while w (c); Teil (d; dw ()); for (e); repeat r ()
    const WalkCase cases[] = {
        {Qt::Key_Down, {-1}, {0}},      {Qt::Key_Down, {}, {0}},
        {Qt::Key_Down, {0}, {1}},       {Qt::Key_Down, {1}, {2}},
        {Qt::Key_Down, {2}, {2, 1}},    {Qt::Key_Down, {2, 1}, {2, 1, 0}},
        {Qt::Key_Down, {2, 1, 0}, {3}}, {Qt::Key_Down, {3}, {3, 0}},
        {Qt::Key_Down, {3, 0}, {3, 1}}, {Qt::Key_Down, {3, 1}, {3, 1, 1}},
        {Qt::Key_Down, {3, 1, 1}, {4}}, {Qt::Key_Down, {1, 1, 0}, {2}},
        {Qt::Key_Down, {1, 2}, {}},     {Qt::Key_Down, {5, 1}, {4}},
        {Qt::Key_Up, {}, {}},           {Qt::Key_Up, {0}, {}},
        {Qt::Key_Up, {1}, {0}},         {Qt::Key_Up, {1, 1, 0}, {1, 1}},
        {Qt::Key_Up, {1, 1}, {1}},      {Qt::Key_Up, {3, 0}, {3}},
        {Qt::Key_Up, {-1}, {-1}},       {Qt::Key_Left, {1}, {1, 1}},
        {Qt::Key_Right, {1}, {1, 2}},   {Qt::Key_Right, {2}, {2, 1}},
        {Qt::Key_Left, {4}, {4, 1}},    {Qt::Key_Left, {0}, {0}},
        {Qt::Key_Right, {3}, {3}},      {Qt::Key_Left, {-1}, {-1}},
    };
    startOn(everyKindDesign());
    auto pathOf = [this](const std::vector<int>& path) -> TElement* {
        TElement* e = form->Design();
        for (int step : path) {
            if (TBlock* b = asBlock(e)) {
                e = b->FirstChild.get();
                for (int i = 0; i < step; ++i)
                    e = e->Next.get();
            } else {
                e = asCondition(e)->branch(step);
            }
        }
        return e;
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.from) + " key " + std::to_string(c.key));
        whole().setCurrent(c.from == std::vector<int>{-1} ? nullptr : pathOf(c.from));
        key(whole(), c.key);
        TElement* expected = c.to == std::vector<int>{-1} ? nullptr : pathOf(c.to);
        EXPECT_EQ(whole().currentElement(), expected);
        EXPECT_LE(whole().Options->markedCount(), 1);
    }
    EXPECT_EQ(undoSteps(), 0);
}

TEST_F(EditingTest, DownWalkEndsOnTheShownBlockAndClimbsOutOfALastNamedBlock)
{
    auto design = designOf(TAnweisung::Create("p"));
    auto named = TBlock::Create("N");
    named->FirstChild = TAnweisung::Create("q");
    design->FirstChild->Next = std::move(named);
    startOn(std::move(design));
    whole().setCurrent(element({1, 0}));
    key(whole(), Qt::Key_Down);
    EXPECT_EQ(whole().currentElement(), element({1}));

    trigger("Neu1");
    focus(whole());
    whole().setCurrent(form->Design());
    dialogs.answerInput(QStringLiteral("letzte"));
    key(whole(), Qt::Key_Insert);
    key(whole(), Qt::Key_Down);
    EXPECT_EQ(whole().currentElement(), form->Design());
    EXPECT_EQ(whole().Options->markedCount(), 1);

    // In a window on a named block, the walk stays inside that block.
    startOn(everyKindDesign());
    whole().setCurrent(element({3}));
    trigger("BlockinneuemFensteranzeigen1");
    TForm1* block = form->diagramWindows()[1];
    block->setCurrent(element({3, 1, 1})); // the do-while's empty body
    key(*block, Qt::Key_Down);
    EXPECT_EQ(block->currentElement(), element({3}));
    key(*block, Qt::Key_Up);
    EXPECT_EQ(block->currentElement(), element({3}));
}

TEST_F(EditingTest, ElevenChangesThenTenUndosAndTwoUndosThenAChange)
{
    startOn(designOf(TAnweisung::Create("0")));
    auto change = [this](const QString& text) {
        whole().setCurrent(element({0}));
        dialogs.answerInput(text);
        key(whole(), Qt::Key_Return);
    };
    for (int i = 1; i <= 11; ++i)
        change(QString::number(i));
    EXPECT_EQ(element({0})->Text, "11");
    for (int i = 10; i >= 1; --i) {
        key(whole(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(element({0})->Text, std::to_string(i));
    }
    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->Text, "1");

    startOn(designOf(TAnweisung::Create("0")));
    for (int i = 1; i <= 3; ++i)
        change(QString::number(i));
    trigger("Rckgngig1");
    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->Text, "1");
    change(QStringLiteral("x"));
    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->Text, "1");
    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->Text, "0");
    trigger("Rckgngig1");
    EXPECT_EQ(element({0})->Text, "0");
}

// The rules are the undo history's; here the keys, the menu items and their enabled state.
TEST_F(EditingTest, RedoAfterUndoByKeysAndMenu)
{
    startOn(designOf(TAnweisung::Create("0")));
    auto enabled = [this] {
        return std::pair(action("Rckgngig1")->isEnabled(), action("Wiederherstellen1")->isEnabled());
    };
    EXPECT_EQ(enabled(), std::pair(false, false));
    for (const char* text : {"1", "2"}) {
        whole().setCurrent(element({0}));
        dialogs.answerInput(QString::fromLatin1(text));
        key(whole(), Qt::Key_Return);
    }
    key(whole(), Qt::Key_Z, Qt::ControlModifier);
    trigger("Rckgngig1");
    EXPECT_EQ(enabled(), std::pair(false, true));
    key(whole(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(element({0})->Text, "1");
    key(whole(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(element({0})->Text, "2");
    EXPECT_EQ(enabled(), std::pair(true, false));
}

TEST_F(EditingTest, CtrlUpAndDownMoveTheCurrentElementOnePlace)
{
    startOn(everyKindDesign());
    TElement* a = element({0});
    whole().setCurrent(a);
    key(whole(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(element({1}), a);
    EXPECT_EQ(whole().currentElement(), a);
    EXPECT_EQ(undoSteps(), 1);
    key(whole(), Qt::Key_Up, Qt::ControlModifier);
    key(whole(), Qt::Key_Up, Qt::ControlModifier); // already first
    EXPECT_EQ(element({0}), a);
    EXPECT_EQ(undoSteps(), 2);
}

TEST_F(EditingTest, ShiftF10AndTheMenuKeyOpenThePopupMenuAtTheCurrentElement)
{
    startOn(everyKindDesign());
    whole().showMaximized();
    QMenu* menu = whole().PopupMenu1;
    TElement* loop = element({2});
    whole().setCurrent(loop);
    const QRect r = *whole().elementRect(loop);
    for (bool menuKey : {false, true}) {
        if (menuKey) {
            QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(400, 300), QPoint(400, 300));
            QApplication::sendEvent(whole().drawingWidget(), &request);
        } else {
            key(whole(), Qt::Key_F10, Qt::ShiftModifier);
        }
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        EXPECT_TRUE(QRect(whole().drawingWidget()->mapToGlobal(r.topLeft()), r.size()).contains(menu->pos()));
        EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("Lschen1"))->isEnabled());
        menu->hide();
    }
}

// The focus events themselves need a running accessibility bridge; they are checked under X.
TEST_F(EditingTest, AssistiveTechnologySeesANamedTreeAndTheFocusOnTheCurrentElement)
{
    startOn(everyKindDesign());
    QAccessibleInterface* area = QAccessible::queryAccessibleInterface(whole().scrollArea());
    QAccessibleInterface* root = area->child(0);
    EXPECT_EQ(root->text(QAccessible::Name), QStringLiteral("Block: gesamtes Programm"));
    ASSERT_EQ(root->childCount(), 6);
    QAccessibleInterface* decision = root->child(1);
    EXPECT_EQ(decision->text(QAccessible::Name), QStringLiteral("Entscheidung: x > 0"));
    EXPECT_EQ(decision->child(0)->child(0)->parent()->parent(), decision);
    EXPECT_EQ(root->indexOfChild(decision), 1);
    EXPECT_TRUE(area->rect().contains(decision->rect()));

    focus(whole());
    whole().setCurrent(element({1, 1, 0}));
    EXPECT_EQ(area->focusChild()->text(QAccessible::Name), QStringLiteral("Anweisung: b"));
    EXPECT_TRUE(decision->child(0)->child(0)->state().selected);
    const QAccessible::Id removed = QAccessible::uniqueId(decision);
    whole().setCurrent(element({1}));
    key(whole(), Qt::Key_Delete);
    const QAccessibleInterface* after = QAccessible::accessibleInterface(removed);
    EXPECT_TRUE(!after || !after->isValid());
    EXPECT_EQ(root->child(1)->text(QAccessible::Name), QStringLiteral("Schleife (Test vorher): w"));
}

TEST_F(EditingTest, UndoClosesBlockWindowsAndIsClearedByNewLoadAndPaste)
{
    startOn(everyKindDesign());
    whole().setCurrent(element({0}));
    key(whole(), Qt::Key_Delete);
    whole().setCurrent(element({2}));
    trigger("BlockinneuemFensteranzeigen1");
    whole().setCurrent(element({2}));
    whole().Options->ToggleCollapsed(asBlock(element({2})));
    form->document().markSaved();
    trigger("Rckgngig1");
    settle();
    EXPECT_EQ(form->diagramWindows().size(), 1);
    EXPECT_EQ(whole().ShownBlock, form->Design());
    EXPECT_EQ(whole().Options->markedCount(), 0);
    EXPECT_EQ(whole().Options->collapsedCount(), 0);
    EXPECT_EQ(element({0})->Text, "a");
    EXPECT_TRUE(form->document().isModified());

    dialogs.answerSaveChanges(SaveChoice::Nein);
    trigger("Neu1");
    trigger("Rckgngig1");
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
}

TEST_F(EditingTest, MainMenuShortcutsWorkWhileADiagramWindowHasTheFocus)
{
    startOn(everyKindDesign());
    whole().setCurrent(element({0}));
    key(whole(), Qt::Key_Delete);
    EXPECT_EQ(element({0})->Text, "x > 0");
    key(whole(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(element({0})->Text, "a");
    QApplication::clipboard()->setText(QStringLiteral("eingefuegt;"));
    dialogs.answerSaveChanges(SaveChoice::Nein);
    key(whole(), Qt::Key_Insert, Qt::ControlModifier); // paste, not insert
    EXPECT_EQ(dialogs.callCount(DialogKind::Input), 0);
    EXPECT_EQ(dump(), "B s=0 b=0 \"\"\n  A s=1 \"eingefuegt\"\n");
    dialogs.answerSaveChanges(SaveChoice::Nein);
    key(whole(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n");
}

// Elements through the clipboard with the keys: a decision copied and pasted after itself (one undo step
// takes the copy away), a statement cut and pasted into an empty branch, Java text from another program
// pasted where the current element is.
TEST_F(EditingTest, ElementsCopiedCutAndPastedWithTheKeys)
{
    startOn(everyKindDesign());
    TElement* decision = element({1});
    whole().setCurrent(decision);
    const std::string before = dump();
    key(whole(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("application/x-struktogramm-elemente")));
    EXPECT_TRUE(mime->text().contains(QStringLiteral("if (x > 0) {")));
    key(whole(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(element({2}), nullptr);
    EXPECT_EQ(element({2})->kind(), Kind::If);
    EXPECT_EQ(element({2})->Text, decision->Text);
    EXPECT_EQ(whole().currentElement(), element({2}));
    EXPECT_NE(dump(), before);
    key(whole(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dump(), before);

    // Cut the first statement and paste it into the decision's empty no branch.
    whole().setCurrent(element({0}));
    key(whole(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(element({0})->kind(), Kind::If);
    TBlock* no = static_cast<TIf*>(element({0}))->branch(2);
    ASSERT_EQ(no->FirstChild, nullptr);
    whole().setCurrent(no);
    key(whole(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(no->FirstChild, nullptr);
    EXPECT_EQ(no->FirstChild->Text, "a");

    // Java text from another program goes in at the current place, comments left out.
    QApplication::clipboard()->setText(
        QStringLiteral("int summe = 0; // Anfang\nfor (int i = 1; i < 5; i++) summe += i;\n"));
    whole().setCurrent(no->FirstChild.get());
    key(whole(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(no->FirstChild->Next, nullptr);
    EXPECT_EQ(no->FirstChild->Next->Text, "int summe = 0");
    ASSERT_NE(no->FirstChild->Next->Next, nullptr);
    EXPECT_EQ(no->FirstChild->Next->Next->Text, "i von 1 bis 4");
    EXPECT_EQ(form->statusBar()->currentMessage(),
              QStringLiteral("Java-Text eingefügt: 1 Kommentar wurde ausgelassen."));
}

// Another window removes what this one shows or has as its current element.
TEST_F(EditingTest, WindowsSurviveTheRemovalOfTheirBlockAndCurrentElement)
{
    startOn(everyKindDesign());
    auto* teil = static_cast<TBlock*>(element({3}));
    TElement* d = element({3, 0});
    whole().setCurrent(teil);
    trigger("BlockinneuemFensteranzeigen1");
    TForm1* block = form->diagramWindows()[1];
    block->setCurrent(d);

    // The whole-design window deletes the named block the block window shows.
    focus(whole());
    whole().setCurrent(teil);
    key(whole(), Qt::Key_Delete);
    EXPECT_EQ(form->document().parkedCount(), 1);
    EXPECT_EQ(block->ShownBlock, teil);
    EXPECT_EQ(block->currentElement(), d);

    // The block window goes on working on the removed block.
    focus(*block);
    dialogs.answerInput(QStringLiteral("weiter"));
    key(*block, Qt::Key_Insert);
    EXPECT_EQ(teil->FirstChild->Next->Text, "weiter");
    key(*block, Qt::Key_Delete);
    block->setCurrent(teil);
    key(*block, Qt::Key_Delete);
    EXPECT_EQ(teil->FirstChild, nullptr);
    block->close();
    settle();
    EXPECT_EQ(form->document().parkedCount(), 0);

    // A current element that another window removed counts as none, also when a new element takes its
    // memory.
    TForm1* second = form->openBlockWindow(form->Design());
    TElement* a = element({0});
    second->setCurrent(a);
    focus(whole());
    whole().setCurrent(a);
    key(whole(), Qt::Key_Delete);
    EXPECT_EQ(second->currentElement(), nullptr);
    whole().setCurrent(form->Design());
    dialogs.answerInput(QStringLiteral("neu"));
    key(whole(), Qt::Key_Insert);
    EXPECT_EQ(second->currentElement(), nullptr);
    const std::string before = dump();
    focus(*second);
    for (Qt::Key k :
         {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Return, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up})
        key(*second, k);
    popup(*second, "Anzeigeverkleinernvergrern1");
    popup(*second, "InneuemFensteranzeigen1");
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(form->diagramWindows().size(), 2);
}

TEST_F(EditingTest, EveryChangeAndUndoMarksTheDesignChanged)
{
    startOn(everyKindDesign());
    struct Step
    {
        const char* what;
        std::function<void()> run;
    };
    const std::vector<Step> steps = {
        {"insert",
         [&] {
             whole().setCurrent(element({0}));
             dialogs.answerInput("n");
             key(whole(), Qt::Key_Insert);
         }},
        {"delete",
         [&] {
             whole().setCurrent(element({0}));
             key(whole(), Qt::Key_Delete);
         }},
        {"edit",
         [&] {
             whole().setCurrent(element({0}));
             dialogs.answerInput("t");
             key(whole(), Qt::Key_Return);
         }},
        {"refine",
         [&] {
             focus(whole());
             whole().setCurrent(element({0}));
             popup(whole(), "Genauerbestimmen1");
         }},
        {"undo", [&] { trigger("Rckgngig1"); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        form->document().markSaved();
        step.run();
        EXPECT_TRUE(form->document().isModified());
    }
}

} // namespace
