#pragma once

#include <QStringDecoder>
#include <QWidget>

#include <deque>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

// TConsoleView: what a running program writes, and a line for what it reads. The output is taken piece by
// piece and shown when flushed, so that a program that writes fast costs one repaint per refresh; lines
// typed into the input line wait there, in order, until the program reads them. Only the last lines are
// kept, and an overlong line is shown broken, so that an endless writer cannot fill the memory.
class TConsoleView : public QWidget
{
    Q_OBJECT

public:
    explicit TConsoleView(QWidget* parent = nullptr);

    // Output of the program (UTF-8), shown at the next flush.
    void write(std::string_view utf8);
    void flush();
    // A message of the editor (a problem, an exception) on a line of its own, in red when `error`.
    void message(const QString& text, bool error);
    // What the user gave the program, as the console shows typed input.
    void echoInput(const QString& line);
    // Empties the output; typed lines stay for the run that reads them.
    void clear();
    // Forgets the typed lines that were not read (at the end of a run).
    void dropTypedLines() { m_typed.clear(); }
    // The next line typed and not yet read, shown in the output as the program reads it; false when there
    // is none.
    bool takeLine(QString& line);

    // The output after its last line end: what a program asks before it reads the answer ("Zahl: ").
    QString openLine() const;

    QPlainTextEdit* output() const { return m_output; }
    QLineEdit* input() const { return m_input; }

private:
    void append(const QString& text, const QColor& colour);

    QPlainTextEdit* m_output;
    QLineEdit* m_input;
    std::string m_pending;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    std::deque<QString> m_typed;
};
