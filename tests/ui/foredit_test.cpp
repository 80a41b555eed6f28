// The counting-loop dialog: splitting a header into its three fields, joining them on "Ok", and the
// keys and buttons that end it.

#include "ui/foredit.h"

#include "ui/cp1252.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char* text;
    const char* variable;
    const char* start;
    const char* end;
};

class CountingLoopDialogTest : public ::testing::Test
{
protected:
    std::array<std::string, 3> fields() const
    {
        return {toCp1252(form.Edit1->text()), toCp1252(form.Edit2->text()), toCp1252(form.Edit3->text())};
    }

    TForm3 form;
};

TEST_F(CountingLoopDialogTest, SplitsTheHeaderAndOkJoinsItAgain)
{
    const SplitCase cases[] = {
        {"i von 1 bis 10", "i", "1", "10"},
        {"???", "?", "?", "?"},
        {"k von 0 bis n - 1", "k", "0", "n - 1"},
        {"my var von 1 bis 5", "my", "von", "s 5"}, // a blank in the variable shifts the split
        {"i", "i", "", ""},
        {"", "", "", ""},
        {"z\xe4hler von a bis \x80", "z\xe4hler", "a", "\x80"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.text);
        form.SetLoopText(c.text);
        EXPECT_EQ(form.LoopText(), c.text);
        EXPECT_EQ(fields(), (std::array<std::string, 3>{c.variable, c.start, c.end}));
        form.Button1->click();
        EXPECT_EQ(form.result(), TForm3::kOk);
        EXPECT_EQ(form.LoopText(), std::string(c.variable) + " von " + c.start + " bis " + c.end);
    }
}

TEST_F(CountingLoopDialogTest, OkTakesTheFieldsUnchecked)
{
    form.SetLoopText("i von 1 bis 10");
    form.Edit1->clear();
    form.Edit2->clear();
    form.Edit3->clear();
    form.Button1->click();
    EXPECT_EQ(form.LoopText(), " von  bis ");
}

TEST_F(CountingLoopDialogTest, AbbrechenKeepsTheText)
{
    for (const char* text : {"i von 1 bis 10", "???"}) {
        form.SetLoopText(text);
        form.Edit1->setText(QStringLiteral("x"));
        form.Edit3->setText(QStringLiteral("99"));
        form.Button2->click();
        EXPECT_EQ(form.result(), TForm3::kCancel);
        EXPECT_EQ(form.LoopText(), text);
    }
}

TEST_F(CountingLoopDialogTest, EnterInAnyFieldIsOkEscAndTheCloseBoxAreAbbrechen)
{
    for (QLineEdit* edit : {form.Edit1, form.Edit2, form.Edit3}) {
        form.SetLoopText("i von 1 bis 10");
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("x"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), TForm3::kOk);
        EXPECT_NE(form.LoopText(), "i von 1 bis 10");
    }

    form.SetLoopText("i von 1 bis 10");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::keyClicks(form.Edit2, QStringLiteral("7"));
    QTest::keyClick(form.Edit2, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TForm3::kCancel);
    EXPECT_EQ(form.LoopText(), "i von 1 bis 10");

    form.SetLoopText("???");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Edit1->setText(QStringLiteral("j"));
    form.close(); // the frame's close box
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TForm3::kCancel);
    EXPECT_EQ(form.LoopText(), "???");
}

// A button that has the focus (reached with Tab) takes Enter itself: Enter on "Abbrechen" cancels. In
// the fields Enter stays "Ok" afterwards.
TEST_F(CountingLoopDialogTest, EnterOnTheFocusedButtonPressesThatButton)
{
    form.SetLoopText("i von 1 bis 10");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Edit1->setText(QStringLiteral("x"));
    form.Button2->setFocus();
    QTest::keyClick(form.Button2, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TForm3::kCancel);
    EXPECT_EQ(form.LoopText(), "i von 1 bis 10");

    form.SetLoopText("i von 1 bis 10");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Button2->setFocus();
    form.Edit3->setFocus();
    QTest::keyClicks(form.Edit3, QStringLiteral("0"));
    QTest::keyClick(form.Edit3, Qt::Key_Return);
    EXPECT_EQ(form.result(), TForm3::kOk);
    EXPECT_EQ(form.LoopText(), "i von 1 bis 100");
}

TEST_F(CountingLoopDialogTest, ControlsTextsAndTabOrder)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Zählschleife"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Zählvariable"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("von"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("bis"));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("Ok"));
    EXPECT_EQ(form.Button2->text(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(form.Button1->isDefault());
    // The form's places, moved right only as far as a wider installed font needs: no label runs into
    // its field.
    EXPECT_EQ(form.height(), 121);
    EXPECT_GE(form.width(), 285);
    EXPECT_EQ(form.Button1->geometry(), QRect(40, 56, 75, 25));
    EXPECT_EQ(form.Button2->geometry(), QRect(160, 56, 75, 25));
    const std::pair<QLabel*, QLineEdit*> rows[] = {
        {form.Label1, form.Edit1}, {form.Label2, form.Edit2}, {form.Label3, form.Edit3}};
    int left = 0;
    for (const auto& [label, edit] : rows) {
        EXPECT_GE(label->x(), left);
        EXPECT_LE(label->x() + label->sizeHint().width(), edit->x());
        EXPECT_EQ(edit->size(), QSize(33, 21));
        left = edit->geometry().right();
    }
    EXPECT_LE(left, form.width());

    form.SetLoopText("i von 1 bis 10");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    form.Edit1->setFocus();
    const QWidget* order[] = {form.Edit2, form.Edit3, form.Button1, form.Button2, form.Edit1};
    for (const QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }
    form.hide();
}

} // namespace
