#include "tests/ui/editor_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolBar>

void EditorTest::TearDown()
{
    finish();
    QStringList left;
    for (QWidget* widget : QApplication::topLevelWidgets())
        left << widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
    EXPECT_TRUE(left.isEmpty()) << "windows left over: " << left.join(QStringLiteral(", ")).toStdString();
}

void EditorTest::finish()
{
    if (form) {
        form->setModified(false);
        delete form;
        form = nullptr;
    }
    settle();
}

void EditorTest::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TForm2& EditorTest::start(const std::optional<std::string>& designFile)
{
    finish();
    form = new TForm2(designFile);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
    QApplication::setActiveWindow(form);
    return *form;
}

std::string EditorTest::path(const std::string& name) const
{
    return dir.filePath(QString::fromStdString(name)).toStdString();
}

std::string EditorTest::writeDesign(const std::string& name, const TBlock& design)
{
    const std::string file = path(name);
    WriteDesignFile(file, design);
    return file;
}

QAction* EditorTest::action(const char* name) const
{
    auto* found = form->findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void EditorTest::trigger(const char* name) const
{
    if (QAction* a = action(name))
        a->trigger();
}

void EditorTest::clickToolButton(const char* name) const
{
    QAction* a = action(name);
    ASSERT_NE(a, nullptr);
    for (QToolBar* bar : {form->ToolBar1, form->ToolBar2}) {
        if (QWidget* button = bar->widgetForAction(a)) {
            ASSERT_TRUE(button->isVisible()) << name;
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    FAIL() << "no button " << name;
}

std::unique_ptr<TBlock> designOf(std::unique_ptr<TElement> first)
{
    auto root = TBlock::Create("gesamtes Programm");
    root->Standalone = false;
    root->Braced = false;
    root->FirstChild = std::move(first);
    return root;
}

std::unique_ptr<TBlock> everyKindDesign()
{
    auto root = designOf(TAnweisung::Create("a"));
    TElement* last = root->FirstChild.get();
    auto append = [&last](std::unique_ptr<TElement> e) {
        TElement* raw = e.get();
        last->Next = std::move(e);
        last = raw;
        return raw;
    };
    auto* decision = static_cast<TIf*>(append(TIf::Create("x > 0")));
    decision->Branch(1)->FirstChild = TAnweisung::Create("b");
    auto* loop = static_cast<TWhile*>(append(TWhile::Create("w")));
    loop->Branch(1)->FirstChild = TAnweisung::Create("c");
    auto* named = static_cast<TBlock*>(append(TBlock::Create("Teil")));
    named->FirstChild = TAnweisung::Create("d");
    named->FirstChild->Next = TDoWhile::Create("dw");
    auto* counting = static_cast<TFor*>(append(TFor::Create("i von 1 bis 10")));
    counting->Branch(1)->FirstChild = TAnweisung::Create("e");
    append(TRepeat::Create("r"));
    return root;
}

TElement* at(TBlock& root, std::initializer_list<int> path)
{
    TElement* e = &root;
    for (int step : path) {
        if (!e)
            return nullptr;
        if (TBlock* block = asBlock(e)) {
            e = block->FirstChild.get();
            for (int i = 0; e && i < step; ++i)
                e = e->Next.get();
        } else if (TBedingung* condition = asCondition(e)) {
            e = condition->Branch(step);
        } else {
            return nullptr;
        }
    }
    return e;
}
