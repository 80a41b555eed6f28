#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// TForm3: the counting-loop dialog; shows a counting-loop header as variable, start and end value and
// joins the three fields back into the header on "Ok".
class TForm3 : public QDialog
{
    Q_OBJECT

public:
    // The result codes the dialog ends with.
    static constexpr int kOk = 1;
    static constexpr int kCancel = -1;

    explicit TForm3(QWidget* parent = nullptr);

    // Fills the three fields from a counting-loop header (code page 1252) and keeps it in LoopText.
    void SetLoopText(const std::string& text);
    // The header the dialog was opened with, or the joined fields after "Ok".
    const std::string& LoopText() const { return m_loopText; }

    void Button1Click();
    void Button2Click();

    // Esc and the frame's close box end the dialog like "Abbrechen".
    void reject() override;

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QLabel* Label3;
    QLineEdit* Edit3;
    QPushButton* Button1;
    QPushButton* Button2;

private:
    void placeRow();

    std::string m_loopText;
};

// Form3: the program's one counting-loop dialog. Start-up installs it (setForm3); where it has not, the
// first use makes it as a child of `owner`. It is made again if its owner has been destroyed.
TForm3& Form3(QWidget* owner);
void setForm3(TForm3* form);
