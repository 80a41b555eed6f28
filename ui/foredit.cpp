#include "ui/foredit.h"

#include "model/looptext.h"
#include "ui/cp1252.h"
#include "ui/uitexts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace {

QPointer<TForm3> g_form3;

QLineEdit* makeEdit(QWidget* parent, const char* name, int x)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(x, 16, 33, 21);
    return edit;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, 18);
    label->adjustSize();
    return label;
}

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(uitexts::countingLoopCaption());
    setModal(true);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    // Created in tab order: Edit1, Edit2, Edit3, Button1, Button2.
    Label1 = makeLabel(this, "Label1", uitexts::countingLoopVariable(), 14);
    Edit1 = makeEdit(this, "Edit1", 80);
    Label2 = makeLabel(this, "Label2", uitexts::countingLoopFrom(), 128);
    Edit2 = makeEdit(this, "Edit2", 152);
    Label3 = makeLabel(this, "Label3", uitexts::countingLoopTo(), 197);
    Edit3 = makeEdit(this, "Edit3", 216);
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Label3->setBuddy(Edit3);

    Button1 = new QPushButton(uitexts::buttonOk(), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(40, 56, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(uitexts::answerAbbrechen(), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(160, 56, 75, 25);
    // Both buttons take Enter while they have the focus; in the fields Enter is "Ok".
    Button2->setAutoDefault(true);

    placeRow();

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Button1);
    setTabOrder(Button1, Button2);

    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::placeRow()
{
    // The places of the form (labels at 14, 128, 197; edits at 80, 152, 216), moved right only where a
    // label in the installed font is wider than the room the form leaves it.
    auto after = [](const QLabel* label) { return label->x() + label->sizeHint().width() + 4; };
    Label1->move(14, 18);
    Edit1->move(std::max(80, after(Label1)), 16);
    Label2->move(std::max(128, Edit1->geometry().right() + 16), 18);
    Edit2->move(std::max(152, after(Label2)), 16);
    Label3->move(std::max(197, Edit2->geometry().right() + 13), 18);
    Edit3->move(std::max(216, after(Label3)), 16);
    setFixedSize(std::max(285, Edit3->geometry().right() + 37), 121);
}

void TForm3::SetLoopText(const std::string& text)
{
    m_loopText = text;
    const LoopParts parts = splitLoopText(text);
    Edit1->setText(fromCp1252(parts.variable));
    Edit2->setText(fromCp1252(parts.start));
    Edit3->setText(fromCp1252(parts.end));
    Edit1->setFocus();
    Edit1->selectAll();
}

void TForm3::Button1Click()
{
    m_loopText = joinLoopText({toCp1252(Edit1->text()), toCp1252(Edit2->text()), toCp1252(Edit3->text())});
    done(kOk);
}

void TForm3::Button2Click()
{
    done(kCancel);
}

void TForm3::reject()
{
    Button2Click();
}

TForm3& Form3(QWidget* owner)
{
    if (!g_form3)
        g_form3 = new TForm3(owner);
    return *g_form3;
}

void setForm3(TForm3* form)
{
    g_form3 = form;
}
