#pragma once

#include <QEventLoop>
#include <QStringDecoder>
#include <QWidget>

#include <deque>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

// TConsoleView: the program's terminal. What a running program writes is taken piece by piece and shown
// when flushed, so that a program that writes fast costs one repaint per refresh. A line typed into the
// input line under the output is shown in the output at once, after what the program wrote, as a terminal
// echoes it, and waits, in order, until the program reads it; when the program reads and nothing waits,
// the input line takes the keyboard focus and the read waits for a line there. Only the last lines are
// kept, and an overlong line is shown broken, so that an endless writer cannot fill the memory. A failed
// check lists its problems here; a click on one reports which.
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
    // A problem of the design, the `index`th of the list: a click on it emits problemClicked(index).
    void problem(const QString& text, int index);
    // What the user gave the program, as the console shows typed input.
    void echoInput(const QString& line);
    // Empties the output; typed lines that wait to be read stay and are shown again.
    void clear();
    // Forgets the typed lines that were not read (at the end of a run).
    void dropTypedLines() { m_typed.clear(); }
    // The next line typed and not yet read (it stands in the output already); false when there is none.
    bool takeLine(QString& line);
    // The program reads: the next typed line, else the input line takes the focus and this waits in an
    // event loop until a line is entered (true) or cancelWait() is called (false). `hint` says what reads.
    bool waitForLine(QString& line, const QString& hint);
    // Ends a wait for a line: the run that waited was stopped or its design changed.
    void cancelWait();
    bool waiting() const { return m_waiting; }

    // What the program wrote since it last read (or since the start), at most `maxLines` lines: its
    // question before the answer ("Zahl: ", or a line written with println).
    QString lastOutput(int maxLines) const;

    QPlainTextEdit* output() const { return m_output; }
    QLineEdit* input() const { return m_input; }

signals:
    void problemClicked(int index);

private:
    void append(const QString& text, const QColor& colour);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPlainTextEdit* m_output;
    QLineEdit* m_input;
    std::string m_pending;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    std::deque<QString> m_typed;
    // Problems listed: block number in the output, index in the list.
    std::vector<std::pair<int, int>> m_problems;
    QEventLoop* m_waitLoop = nullptr;
    bool m_waiting = false;
    bool m_cancelled = false;
};
