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
        form->document().markSaved();
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
    writeDesignFile(file, design);
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
