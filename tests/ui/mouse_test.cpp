// The mouse on the diagram window: selecting, the pop-up menu, double click, and drag and drop with its
// drop targets and refusals, driven by real mouse events on the window's drawing widget.

#include "tests/ui/editor_fixture.h"

#include "ui/diagramarea.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace {

class MouseTest : public EditorTest
{
protected:
    TForm2& startOn(std::unique_ptr<TBlock> design)
    {
        start(writeDesign("design.str", *design));
        form->mdiArea()->setActiveSubWindow(&whole());
        whole().showMaximized();
        return *form;
    }
    TElement* element(std::initializer_list<int> path) { return at(*form->Design(), path); }
    void focusWhole()
    {
        form->mdiArea()->setActiveSubWindow(&whole());
        whole().scrollArea()->setFocus();
    }
    QWidget* widget(TForm1& window) { return window.drawingWidget(); }

    // A point of the window where the hit test answers `e` and `accept` holds (it sees DropAfterBlock);
    // searched inside the rectangle where the window last drew `e` as its current element.
    QPoint pointOf(TForm1& window, TElement* e, const std::function<bool(bool afterBlock)>& accept = {})
    {
        TElement* current = window.currentElement();
        window.setCurrent(e);
        window.drawingWidget()->repaint();
        const TRect r = window.Options->HighlightRect;
        window.setCurrent(current);
        window.drawingWidget()->repaint();
        // A branch block wholly covered by its elements is hit on its label, just above it.
        for (int y = r.Top - 8; y < r.Bottom; y += 2) {
            for (int x = r.Left; x < r.Right; x += 2) {
                if (window.elementAt({x, y}) == e && (!accept || accept(window.Options->DropAfterBlock)))
                    return {x, y};
            }
        }
        ADD_FAILURE() << "no point on \"" << e->Text << "\" in " << r.Left << "," << r.Top << "-" << r.Right
                      << "," << r.Bottom;
        return {-1, -1};
    }
    // A point where no element is.
    QPoint emptyPoint(TForm1& window)
    {
        const QSize size = window.drawingWidget()->size();
        const QPoint p(size.width() - 5, size.height() - 5);
        EXPECT_EQ(window.elementAt(p), nullptr);
        return p;
    }
    void drag(TForm1& window, QPoint from, QPoint to)
    {
        QTest::mousePress(widget(window), Qt::LeftButton, {}, from);
        QTest::mouseMove(widget(window), (from + to) / 2);
        QTest::mouseMove(widget(window), to);
        QTest::mouseRelease(widget(window), Qt::LeftButton, {}, to);
    }
    int undoSteps() { return form->document().undoHistory().snapshotCount(); }
};

TEST_F(MouseTest, ClickMakesTheElementUnderThePointerCurrent)
{
    startOn(everyKindDesign());
    for (std::initializer_list<int> path :
         {std::initializer_list<int>{0}, {1}, {1, 1, 0}, {1, 2}, {3}, {3, 0}, {4, 1, 0}}) {
        TElement* e = element(path);
        SCOPED_TRACE(e->Text);
        const QPoint p = pointOf(whole(), e);
        QTest::mouseClick(widget(whole()), Qt::LeftButton, {}, p);
        EXPECT_EQ(whole().currentElement(), e);
        EXPECT_EQ(whole().Options->markedCount(), 1);
        EXPECT_FALSE(whole().Dragging);
    }
    QTest::mouseClick(widget(whole()), Qt::LeftButton, {}, emptyPoint(whole()));
    EXPECT_EQ(whole().currentElement(), nullptr);
    EXPECT_EQ(undoSteps(), 0);
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(MouseTest, RightClickSelectsAndOpensThePopupMenu)
{
    startOn(everyKindDesign());
    TElement* e = element({2});
    const QPoint p = pointOf(whole(), e);
    // As the windowing system does it: the press, then the context-menu request, then the release.
    QTest::mousePress(widget(whole()), Qt::RightButton, {}, p);
    EXPECT_EQ(whole().currentElement(), e);
    QContextMenuEvent request(QContextMenuEvent::Mouse, p, widget(whole())->mapToGlobal(p));
    QApplication::sendEvent(widget(whole()), &request);
    QTest::mouseRelease(widget(whole()), Qt::RightButton, {}, p);
    QMenu* menu = whole().PopupMenu1;
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
    EXPECT_FALSE(whole().Dragging);
    auto* item = menu->findChild<QAction*>(QStringLiteral("Textbearbeiten1"));
    dialogs.answerInput(QStringLiteral("solange"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(e->Text, "solange");
    EXPECT_EQ(dialogs.lastCall(DialogKind::Input)->caption, QStringLiteral("Schleife"));
}

TEST_F(MouseTest, DoubleClickEditsTheElementUnderThePointer)
{
    startOn(everyKindDesign());
    TElement* e = element({1, 1, 0});
    dialogs.answerInput(QStringLiteral("doppelt"));
    QTest::mouseDClick(widget(whole()), Qt::LeftButton, {}, pointOf(whole(), e));
    EXPECT_EQ(e->Text, "doppelt");
    EXPECT_EQ(whole().currentElement(), e);
    EXPECT_EQ(undoSteps(), 1);
    EXPECT_EQ(dump().find("doppelt") != std::string::npos, true);
}

// Found under a window manager: a click in the right part of a statement's box selected the block around
// it, a click in an empty branch column past its first 40 pixels the decision, and a double click there
// inserted a statement at the top of the program. Boxes are hit where they are drawn, at every zoom, and
// the rectangle the window reports for an element follows the zoom.
TEST_F(MouseTest, ClicksInTheRightPartOfABoxHitWhatIsDrawnThere)
{
    auto design = makeRoot();
    TBlock* teil = append(*design, TBlock::Create("Teil"));
    statement(*teil, "a");
    append(*teil, TIf::Create("?"));
    statement(*teil, std::string(30, 'x'));
    startOn(std::move(design));
    TForm1* blockWindow = form->openBlockWindow(asBlock(element({0})));
    blockWindow->showMaximized();
    int edits = 0;
    for (TForm1* window : {&whole(), blockWindow}) {
        form->mdiArea()->setActiveSubWindow(window);
        TDiagramArea& area = *window->diagramArea();
        QWidget* view = area.viewport();
        QRect at100;
        for (int percent : {100, 200}) {
            SCOPED_TRACE(std::to_string(percent) + (window == blockWindow ? "% block window" : "% whole"));
            area.setZoom(percent, {0, 0});
            area.horizontalScrollBar()->setValue(0);
            area.verticalScrollBar()->setValue(0);
            TElement* a = element({0, 0});
            auto* decision = asCondition(element({0, 1}));
            const QRect r = *window->elementRect(a);
            if (percent == 100) {
                at100 = r;
            } else {
                EXPECT_NEAR(r.left(), 2 * at100.left(), 1);
                EXPECT_NEAR(r.top(), 2 * at100.top(), 1);
                EXPECT_NEAR(r.width(), 2 * at100.width(), 2);
                EXPECT_NEAR(r.height(), 2 * at100.height(), 2);
            }
            ASSERT_TRUE(view->rect().contains(r));
            const QPoint rightPart(r.right() - 4 * percent / 100, r.center().y());
            QTest::mouseClick(view, Qt::LeftButton, {}, rightPart);
            EXPECT_EQ(window->currentElement(), a);
            for (int i : {1, 2}) {
                TBlock* column = decision->branch(i);
                const QRect c = *window->elementRect(column);
                QTest::mouseClick(view, Qt::LeftButton, {},
                                  QPoint(c.right() - 4 * percent / 100, c.center().y()));
                EXPECT_EQ(window->currentElement(), column) << i;
            }
            const QString text = QStringLiteral("doppelt %1").arg(++edits);
            dialogs.answerInput(text);
            QTest::mouseDClick(view, Qt::LeftButton, {}, rightPart);
            EXPECT_EQ(element({0, 0}), a);
            EXPECT_EQ(a->Text, text.toStdString());
            ASSERT_NE(element({0, 2}), nullptr);
            EXPECT_EQ(element({0, 2})->Text, std::string(30, 'x'));
            EXPECT_EQ(element({0, 3}), nullptr); // nothing was inserted
            EXPECT_EQ(element({1}), nullptr);
        }
        area.setZoom(100, {0, 0});
    }
    // A statement inserted after a click in the middle of the empty no column goes into that column.
    form->mdiArea()->setActiveSubWindow(&whole());
    const QRect no = *whole().elementRect(asCondition(element({0, 1}))->branch(2));
    QTest::mouseClick(widget(whole()), Qt::LeftButton, {}, no.center());
    dialogs.answerInput(QStringLiteral("nein-Zweig"));
    trigger("Anweisung");
    ASSERT_NE(element({0, 1, 2, 0}), nullptr) << dump();
    EXPECT_EQ(element({0, 1, 2, 0})->Text, "nein-Zweig");
}

TEST_F(MouseTest, DraggingAStatementOntoAnotherMakesItItsSuccessor)
{
    startOn(statements({"s1", "s2", "s3"}));
    TElement* s1 = element({0});
    TElement* s3 = element({2});
    const QPoint from = pointOf(whole(), s1);
    const QPoint to = pointOf(whole(), s3);
    QTest::mousePress(widget(whole()), Qt::LeftButton, {}, from);
    EXPECT_FALSE(whole().Dragging); // not before the pointer moves
    QTest::mouseMove(widget(whole()), to);
    EXPECT_TRUE(whole().Dragging);
    EXPECT_EQ(whole().Options->DropTarget, s3);
    QTest::mouseRelease(widget(whole()), Qt::LeftButton, {}, to);
    EXPECT_EQ(whole().Options->DropTarget, nullptr);
    EXPECT_FALSE(whole().Dragging);
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n  A s=1 \"s2\"\n  A s=1 \"s3\"\n  A s=1 \"s1\"\n");
    EXPECT_EQ(whole().currentElement(), s1);
    EXPECT_EQ(undoSteps(), 1);
    EXPECT_TRUE(form->document().isModified());
    trigger("Rckgngig1");
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n  A s=1 \"s1\"\n  A s=1 \"s2\"\n  A s=1 \"s3\"\n");
}

// A shaky click that crosses into the next statement is a click; a drag starts at the drag distance, and
// Esc ends it without a change.
TEST_F(MouseTest, ShortMovementsAreClicksAndEscCancelsADrag)
{
    startOn(statements({"s1", "s2", "s3"}));
    const std::string before = dump();
    TElement* s1 = element({0});
    whole().setCurrent(element({1}));
    widget(whole())->repaint();
    const int top = whole().Options->HighlightRect.Top;
    const QPoint pressed(whole().Options->HighlightRect.Left + 20, top - 2);
    ASSERT_EQ(whole().elementAt(pressed), s1);
    const int distance = QApplication::startDragDistance();
    const QPoint near = pressed + QPoint(0, distance - 1);
    ASSERT_EQ(whole().elementAt(near), element({1}));
    drag(whole(), pressed, near);
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(undoSteps(), 0);

    drag(whole(), pressed, pressed + QPoint(0, distance + 1));
    EXPECT_EQ(element({1}), s1);
    EXPECT_EQ(undoSteps(), 1);

    TElement* s3 = element({2});
    QTest::mousePress(widget(whole()), Qt::LeftButton, {}, pointOf(whole(), element({0})));
    QTest::mouseMove(widget(whole()), pointOf(whole(), s3));
    ASSERT_EQ(whole().Options->DropTarget, s3);
    QTest::keyClick(whole().scrollArea(), Qt::Key_Escape);
    EXPECT_EQ(whole().Options->DropTarget, nullptr);
    EXPECT_FALSE(whole().Dragging);
    QTest::mouseRelease(widget(whole()), Qt::LeftButton, {}, pointOf(whole(), s3));
    EXPECT_EQ(element({2}), s3);
    EXPECT_EQ(undoSteps(), 1);
}

// Eleven changes of one kind, then ten undos reach the state after the first; an eleventh changes nothing.
// Refining makes two steps, so six refinements do. The tool-bar buttons insert each kind.
TEST_F(MouseTest, EveryCommandKeepsTenUndoSteps)
{
    const std::pair<std::string, int> commands[] = {{"BAnweisung2", 11},
                                                    {"BIfAnweisung2", 11},
                                                    {"BWhileSchleife2", 11},
                                                    {"BForSchleife2", 11},
                                                    {"BDoWhileSchleife2", 11},
                                                    {"F2", 11},
                                                    {"Ctrl+Down", 11},
                                                    {"drag", 11},
                                                    {"refine", 6}};
    for (const auto& [command, times] : commands) {
        SCOPED_TRACE(command);
        startOn(statements({"s1", "s2", "s3", "s4", "s5", "s6"}));
        const bool insert = command[0] == 'B';
        std::vector<std::string> states;
        for (int i = 0; i < times; ++i) {
            focusWhole();
            whole().setCurrent(insert ? form->Design() : element({command == "refine" ? i : 0}));
            if (command == "BForSchleife2")
                dialogs.answerCountingLoop(LoopButton::Ok);
            else if (insert || command == "F2")
                dialogs.answerInput(QString::number(i));
            if (insert)
                clickToolButton(command.c_str());
            else if (command == "F2" || command == "Ctrl+Down")
                QTest::keyClick(whole().scrollArea(), command == "F2" ? Qt::Key_F2 : Qt::Key_Down,
                                command == "F2" ? Qt::NoModifier : Qt::ControlModifier);
            else if (command == "drag")
                drag(whole(), pointOf(whole(), element({0})), pointOf(whole(), element({2})));
            else
                whole().PopupMenu1->findChild<QAction*>(QStringLiteral("Genauerbestimmen1"))->trigger();
            states.push_back(dump());
        }
        for (int i = 0; i < 10; ++i)
            trigger("Rckgngig1");
        EXPECT_EQ(dump(), states.at(0)) << "ten undos";
        trigger("Rckgngig1");
        EXPECT_EQ(dump(), states.at(0)) << "an eleventh";
    }
}

TEST_F(MouseTest, DropsOntoANamedBlockGoIntoItOnlyFromItsTopLineOrWhenEmpty)
{
    auto design = statements({"s"});
    auto named = TBlock::Create("N");
    named->FirstChild = TAnweisung::Create("x");
    named->Next = std::move(design->FirstChild);
    design->FirstChild = std::move(named);
    const std::string before = dumpTree(*design);
    startOn(std::move(design));
    TElement* n = element({0});
    TElement* s = element({1});

    // Onto the block below its elements: s already follows it, so nothing changes.
    drag(whole(), pointOf(whole(), s), pointOf(whole(), n, [](bool after) { return after; }));
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(undoSteps(), 0);

    // Onto its top line: s becomes its first element.
    drag(whole(), pointOf(whole(), s), pointOf(whole(), n, [](bool after) { return !after; }));
    EXPECT_EQ(dump(),
              "B s=0 b=0 \"gesamtes Programm\"\n  B s=1 b=1 \"N\"\n    A s=1 \"s\"\n    A s=1 \"x\"\n");
    EXPECT_EQ(undoSteps(), 1);

    // Onto the block below its elements again: x moves out, after the block.
    TElement* x = element({0, 1});
    drag(whole(), pointOf(whole(), x), pointOf(whole(), n, [](bool after) { return after; }));
    EXPECT_EQ(dump(), "B s=0 b=0 \"gesamtes Programm\"\n  B s=1 b=1 \"N\"\n    A s=1 \"s\"\n  A s=1 \"x\"\n");
}

TEST_F(MouseTest, DropIntoAnEmptyBranch)
{
    startOn(everyKindDesign());
    TElement* a = element({0});
    TElement* no = element({1, 2});
    drag(whole(), pointOf(whole(), a), pointOf(whole(), no));
    EXPECT_EQ(element({0, 2, 0}), a) << dump();
    EXPECT_EQ(element({0})->Text, "x > 0");
    EXPECT_EQ(undoSteps(), 1);
}

TEST_F(MouseTest, RefusedDropsChangeNothing)
{
    startOn(everyKindDesign());
    const std::string before = dump();
    TElement* decision = element({1});
    TElement* teil = element({3});
    struct Drop
    {
        const char* what;
        TElement* dragged;
        TElement* target; // null: an empty spot
    };
    const Drop drops[] = {
        {"decision onto its yes branch", decision, element({1, 1})},
        {"decision onto a statement in its branch", decision, element({1, 1, 0})},
        {"decision onto its no branch", decision, element({1, 2})},
        {"named block onto its own element", teil, element({3, 1})},
        {"named block onto an element inside", teil, element({3, 1, 1})},
        {"statement onto itself", element({0}), element({0})},
        {"loop onto its predecessor", element({2}), element({1})},
        {"onto nothing", element({0}), nullptr},
    };
    for (const Drop& d : drops) {
        SCOPED_TRACE(d.what);
        const QPoint from = pointOf(whole(), d.dragged);
        const QPoint to = d.target ? pointOf(whole(), d.target) : emptyPoint(whole());
        QTest::mousePress(widget(whole()), Qt::LeftButton, {}, from);
        QTest::mouseMove(widget(whole()), to);
        EXPECT_EQ(whole().Options->DropTarget, nullptr);
        QTest::mouseRelease(widget(whole()), Qt::LeftButton, {}, to);
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(undoSteps(), 0);
        EXPECT_FALSE(whole().Dragging);
    }
    // Branch blocks and the root cannot be picked up.
    for (TElement* fixed : {element({1, 1}), static_cast<TElement*>(form->Design())}) {
        QTest::mousePress(widget(whole()), Qt::LeftButton, {}, pointOf(whole(), fixed));
        EXPECT_FALSE(whole().Dragging);
        QTest::mouseRelease(widget(whole()), Qt::LeftButton, {}, pointOf(whole(), element({0})));
        EXPECT_EQ(dump(), before);
    }
    EXPECT_FALSE(form->document().isModified());
}

TEST_F(MouseTest, BuildADesignWithMouseAndKeysThenSaveIt)
{
    start();
    form->mdiArea()->setActiveSubWindow(&whole());
    whole().showMaximized();
    QWidget* w = widget(whole());
    // Select the root, insert a statement, a decision after it, a statement into the yes branch.
    QTest::mouseClick(w, Qt::LeftButton, {}, pointOf(whole(), form->Design()));
    dialogs.answerInput(QStringLiteral("eingabe()"));
    clickToolButton("BAnweisung2");
    dialogs.answerInput(QStringLiteral("x > 0"));
    clickToolButton("BIfAnweisung2");
    QTest::keyClick(whole().scrollArea(), Qt::Key_Left);
    dialogs.answerInput(QStringLiteral("positiv()"));
    QTest::keyClick(whole().scrollArea(), Qt::Key_Insert);
    // A counting loop after the decision, refined statement inside it.
    QTest::mouseClick(w, Qt::LeftButton, {}, pointOf(whole(), element({1})));
    dialogs.answerCountingLoop(LoopButton::Ok, std::array<QString, 3>{"i", "1", "n"});
    clickToolButton("BForSchleife2");
    QTest::keyClick(whole().scrollArea(), Qt::Key_Right);
    dialogs.answerInput(QStringLiteral("schritt"));
    QTest::keyClick(whole().scrollArea(), Qt::Key_Insert);
    focusWhole();
    QTest::mouseClick(w, Qt::LeftButton, {}, pointOf(whole(), element({2, 1, 0})));
    whole().PopupMenu1->findChild<QAction*>(QStringLiteral("Genauerbestimmen1"))->trigger();
    ASSERT_EQ(form->diagramWindows().size(), 2);
    // Drag the first statement to the end.
    focusWhole();
    drag(whole(), pointOf(whole(), element({0})), pointOf(whole(), element({2})));
    trigger("Rckgngig1");
    trigger("Rckgngig1");
    trigger("Rckgngig1");
    EXPECT_EQ(form->diagramWindows().size(), 1);

    const std::string saved = path("gebaut.str");
    dialogs.answerSave(QString::fromStdString(saved));
    trigger("Struktogrammspeichern1");
    EXPECT_EQ(dumpTree(*readDesignFile(saved)), "B s=0 b=0 \"gesamtes Programm\"\n"
                                                "  A s=1 \"eingabe()\"\n"
                                                "  I s=1 \"x > 0\"\n"
                                                "    B s=0 b=1 \"Ja-Block\"\n"
                                                "      A s=1 \"positiv()\"\n"
                                                "    B s=0 b=1 \"Nein-Block\"\n"
                                                "  F s=1 \"i von 1 bis n\"\n"
                                                "    B s=0 b=1 \"For-Block\"\n"
                                                "      A s=1 \"schritt\"\n");
}

} // namespace
