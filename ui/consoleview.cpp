#include "ui/consoleview.h"

#include "ui/commandguard.h"
#include "ui/uitexts.h"

#include <QEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The lines kept, and the length at which a line is broken.
constexpr int kKeptLines = 5000;
constexpr int kLongestLine = 10000;
// Output waiting for the next flush beyond this is cut from the front.
constexpr std::size_t kMostPending = std::size_t{kKeptLines} * 200;
// The user state of an output line that ends with typed input.
constexpr int kInputLine = 1;

} // namespace

TConsoleView::TConsoleView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ConsoleView"));
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("ConsoleOutput"));
    m_output->setReadOnly(true);
    m_output->setMaximumBlockCount(kKeptLines);
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output->setAccessibleName(uitexts::consoleTitle());
    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("ConsoleInput"));
    m_input->setPlaceholderText(uitexts::consoleInputHint());
    m_input->setAccessibleName(uitexts::consoleInputHint());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_output);
    layout->addWidget(m_input);
    m_output->viewport()->installEventFilter(this);
    connect(m_input, &QLineEdit::returnPressed, this, [this] {
        runCommand(this, [this] {
            flush();
            m_typed.push_back(m_input->text());
            echoInput(m_input->text());
            m_input->clear();
            if (m_waitLoop)
                m_waitLoop->quit();
        });
    });
}

void TConsoleView::write(std::string_view utf8)
{
    m_pending.append(utf8);
    // Of what waits for the next flush, only what the console would keep is kept.
    if (m_pending.size() > kMostPending) {
        const std::size_t cut = m_pending.find('\n', m_pending.size() - kMostPending / 2);
        m_pending.erase(0, cut == std::string::npos ? m_pending.size() - kMostPending / 2 : cut + 1);
    }
}

void TConsoleView::flush()
{
    if (m_pending.empty())
        return;
    QString text =
        m_decoder.decode(QByteArrayView(m_pending.data(), static_cast<qsizetype>(m_pending.size())));
    m_pending.clear();
    // Lines that the console would drop at once are not shown first.
    qsizetype from = text.size();
    for (int lines = 0; lines <= kKeptLines && from > 0; ++lines)
        from = text.lastIndexOf(QLatin1Char('\n'), from - 1);
    if (from > 0)
        text.remove(0, from + 1);
    append(text, palette().color(QPalette::Text));
}

QString TConsoleView::lastOutput(int maxLines) const
{
    QStringList lines;
    QTextBlock block = m_output->document()->lastBlock();
    // The last line is open (empty after a println): it counts only with text.
    if (block.isValid() && block.text().isEmpty())
        block = block.previous();
    for (; block.isValid() && block.userState() != kInputLine && lines.size() < maxLines;
         block = block.previous())
        lines.prepend(block.text());
    return lines.join(QLatin1Char('\n'));
}

void TConsoleView::append(const QString& text, const QColor& colour)
{
    QTextCursor cursor(m_output->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour);
    qsizetype from = 0;
    while (from < text.size()) {
        // As much as fits: up to a line that would grow past the longest line kept whole, which is broken.
        qsizetype used = cursor.block().length() - 1;
        qsizetype end = from;
        while (end < text.size()) {
            const qsizetype newline = text.indexOf(QLatin1Char('\n'), end);
            const qsizetype lineEnd = newline < 0 ? text.size() : newline;
            if (used + lineEnd - end > kLongestLine)
                break;
            end = newline < 0 ? text.size() : newline + 1;
            used = 0;
        }
        if (end > from) {
            cursor.insertText(text.mid(from, end - from), format);
            from = end;
            continue;
        }
        const qsizetype room = std::max<qsizetype>(kLongestLine - (cursor.block().length() - 1), 0);
        cursor.insertText(text.mid(from, room), format);
        cursor.insertBlock();
        from += room;
    }
    QScrollBar* bar = m_output->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TConsoleView::message(const QString& text, bool error)
{
    flush();
    const bool atLineStart = m_output->document()->lastBlock().length() <= 1;
    append((atLineStart ? QString() : QStringLiteral("\n")) + text + QLatin1Char('\n'),
           error ? QColor(176, 0, 0) : QColor(0, 0, 160));
}

void TConsoleView::problem(const QString& text, int index)
{
    message(text, true);
    // The message ends with its line end: it stands in the block before the last, empty one.
    m_problems.emplace_back(m_output->document()->blockCount() - 2, index);
}

void TConsoleView::echoInput(const QString& line)
{
    append(line, QColor(0, 96, 0));
    m_output->document()->lastBlock().setUserState(kInputLine);
    append(QStringLiteral("\n"), QColor(0, 96, 0));
}

void TConsoleView::clear()
{
    m_pending.clear();
    m_decoder.resetState();
    m_output->clear();
    m_problems.clear();
    for (const QString& line : m_typed)
        echoInput(line);
}

bool TConsoleView::takeLine(QString& line)
{
    if (m_typed.empty())
        return false;
    line = m_typed.front();
    m_typed.pop_front();
    return true;
}

bool TConsoleView::waitForLine(QString& line, const QString& hint)
{
    flush();
    if (takeLine(line))
        return true;
    QEventLoop loop;
    m_waitLoop = &loop;
    m_waiting = true;
    m_cancelled = false;
    m_input->setPlaceholderText(hint);
    m_input->setProperty("waiting", true);
    m_input->setStyleSheet(QStringLiteral("QLineEdit { background: #fff8c0; }"));
    m_input->setFocus(Qt::OtherFocusReason);
    // The loop ends when a line is entered, when the wait is cancelled, or when the application quits
    // (which ends every event loop): then no line has come, and the read counts as cancelled.
    loop.exec();
    m_waitLoop = nullptr;
    m_waiting = false;
    m_input->setPlaceholderText(uitexts::consoleInputHint());
    m_input->setProperty("waiting", false);
    m_input->setStyleSheet(QString());
    return !m_cancelled && takeLine(line);
}

void TConsoleView::cancelWait()
{
    if (!m_waiting)
        return;
    m_cancelled = true;
    if (m_waitLoop)
        m_waitLoop->quit();
}

bool TConsoleView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_output->viewport() && event->type() == QEvent::MouseButtonRelease &&
        !m_problems.empty()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int block = m_output->cursorForPosition(mouse->position().toPoint()).blockNumber();
        for (const auto& [number, index] : m_problems) {
            if (number == block) {
                emit problemClicked(index);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
