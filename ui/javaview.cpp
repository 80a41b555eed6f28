#include "ui/javaview.h"

#include "model/document.h"
#include "ui/commandguard.h"
#include "ui/cp1252.h"
#include "ui/javaviewaccessible.h"
#include "ui/uitexts.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <new>

namespace {

// The strip left of the text that holds the breakpoint marks.
constexpr int kMargin = 16;
const QColor kCurrentFill(204, 224, 255);
const QColor kCurrentFrame(90, 130, 210);
const QColor kRunningFill(255, 230, 102);
const QColor kFailedFill(255, 180, 180);
const QColor kBreakpoint(176, 0, 0);

} // namespace

TJavaView::TJavaView(TDesignDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document)
{
    setObjectName(QStringLiteral("JavaView"));
    // Before anything that makes the view's accessible interface (naming it does): the first one made is
    // kept.
    installJavaViewAccessibility();
    setAccessibleName(uitexts::javaViewTitle());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(0);
    connect(&m_rebuildTimer, &QTimer::timeout, this, [this] { rebuildOrShowShortage(); });
}

void TJavaView::rebuildOrShowShortage()
{
    // No command of the user waits for the text: a shortage shows in the view, not in a message box.
    try {
        rebuild();
    } catch (const std::bad_alloc&) {
        m_lines.reset();
        m_noMemory = true;
        fitScrollBars();
        viewport()->update();
    }
}

TJavaView::~TJavaView() = default;

void TJavaView::textOutOfDate()
{
    m_outOfDate = true;
    if (isVisible())
        m_rebuildTimer.start();
}

const TJavaLines& TJavaView::lines()
{
    if (m_outOfDate || !m_lines)
        rebuild();
    return *m_lines;
}

void TJavaView::rebuild()
{
    m_rebuildTimer.stop();
    QElapsedTimer took;
    took.start();
    m_lines.reset();
    // Only what changed is measured again (the blocks keep the rest); the lines in sight are made when
    // they are painted.
    m_lines = std::make_unique<TJavaLines>(m_document.root());
    // Should measuring take a noticeable moment (the first time on a large design, after undo), the next
    // one waits until the edits have paused for a while (three times as long as this one took, up to a
    // second), so that a run of quick edits is not held up after each one.
    const qint64 ms = took.elapsed();
    m_rebuildTimer.setInterval(ms < 20 ? 0 : static_cast<int>(std::min<qint64>(3 * ms, 1000)));
    m_outOfDate = false;
    m_noMemory = false;
    m_longestLine = static_cast<int>(std::min<std::size_t>(m_lines->longestLine(), INT_MAX / 64));
    m_current = m_running = std::nullopt;
    m_failed.clear();
    m_breakpoints.clear();
    m_cursor = -1;
    fitScrollBars();
    viewport()->update();
    emit textRebuilt();
}

int TJavaView::lineHeight() const
{
    return std::max(1, viewport()->fontMetrics().height());
}

int TJavaView::visibleLines() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

void TJavaView::fitScrollBars()
{
    const int count = m_lines ? m_lines->lineCount() : 0;
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setRange(0, std::max(0, count - visibleLines()));
    const int width =
        kMargin + m_longestLine * viewport()->fontMetrics().horizontalAdvance(QLatin1Char('M')) + 8;
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(viewport()->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 4);
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

void TJavaView::setCurrentLines(Lines lines)
{
    m_current = lines;
    // The cursor stays on a clicked line inside the element, and goes to the element's first line when
    // the current element was chosen elsewhere.
    if (lines && (m_cursor < lines->first || m_cursor > lines->second)) {
        m_cursor = lines->first;
        javaViewCursorMoved(*this);
    }
    viewport()->update();
}

void TJavaView::setRunningLines(Lines lines)
{
    m_running = lines;
    viewport()->update();
}

void TJavaView::setFailedLines(std::vector<Lines> lines)
{
    m_failed = std::move(lines);
    viewport()->update();
}

void TJavaView::setBreakpointLines(std::vector<int> lines)
{
    m_breakpoints = std::move(lines);
    viewport()->update();
}

void TJavaView::showLines(Lines lines)
{
    if (!lines)
        return;
    const int top = verticalScrollBar()->value();
    const int shown = visibleLines();
    if (lines->first >= top && lines->second < top + shown)
        return;
    const int height = lines->second - lines->first + 1;
    verticalScrollBar()->setValue(height >= shown ? lines->first : lines->first - (shown - height) / 2);
}

QPoint TJavaView::linePosition(int n) const
{
    return {kMargin - horizontalScrollBar()->value(), (n - verticalScrollBar()->value()) * lineHeight()};
}

int TJavaView::characterWidth() const
{
    return std::max(1, viewport()->fontMetrics().horizontalAdvance(QLatin1Char('M')));
}

int TJavaView::lineAt(QPoint position) const
{
    const int line = verticalScrollBar()->value() + position.y() / lineHeight();
    return m_lines && position.y() >= 0 && line < m_lines->lineCount() ? line : -1;
}

void TJavaView::paintEvent(QPaintEvent*)
{
    // The lines are made from the design as it is now: after a change they are measured again first.
    if (m_outOfDate && m_lines)
        rebuildOrShowShortage();
    runPainting(this, [this] {
        QPainter painter(viewport());
        if (!m_lines) {
            if (m_noMemory)
                painter.drawText(viewport()->rect().adjusted(kMargin, 4, -4, -4), Qt::TextWordWrap,
                                 uitexts::javaViewNoMemory());
            return;
        }
        const int h = lineHeight();
        const int first = verticalScrollBar()->value();
        const int last = std::min(m_lines->lineCount() - 1, first + visibleLines());
        const int width = viewport()->width();
        const auto band = [&](const Lines& lines) {
            if (!lines)
                return QRect();
            const int from = std::max(lines->first, first);
            const int to = std::min(lines->second, last);
            return from > to ? QRect() : QRect(0, (from - first) * h, width, (to - from + 1) * h);
        };
        painter.fillRect(band(m_current), kCurrentFill);
        for (const Lines& failed : m_failed)
            painter.fillRect(band(failed), kFailedFill);
        painter.fillRect(band(m_running), kRunningFill);
        if (const QRect frame = band(m_current); !frame.isEmpty()) {
            painter.setPen(kCurrentFrame);
            painter.drawRect(frame.adjusted(0, 0, -1, -1));
        }
        if (const QRect cursor = band(std::make_pair(m_cursor, m_cursor)); hasFocus() && !cursor.isEmpty()) {
            painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
            painter.drawRect(cursor.adjusted(1, 1, -2, -2));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(kBreakpoint);
        painter.setRenderHint(QPainter::Antialiasing);
        const int disc = std::min(h - 4, 9);
        for (const int line : m_breakpoints) {
            if (line >= first && line <= last)
                painter.drawEllipse(
                    QRect((kMargin - disc) / 2, (line - first) * h + (h - disc) / 2, disc, disc));
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(palette().color(QPalette::Text));
        // Of a long line only the characters in sight are drawn (the font is one of fixed width).
        const int ascent = viewport()->fontMetrics().ascent();
        const int advance = characterWidth();
        const auto skipped = static_cast<std::size_t>(horizontalScrollBar()->value() / advance);
        const auto fitting = static_cast<std::size_t>(width / advance + 2);
        const int x = kMargin - horizontalScrollBar()->value() + static_cast<int>(skipped) * advance;
        for (int line = first; line <= last; ++line) {
            const std::string text = m_lines->line(line, skipped, fitting);
            if (!text.empty())
                painter.drawText(x, (line - first) * h + ascent, fromCp1252(text));
        }
    });
}

void TJavaView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TJavaView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    fitScrollBars();
}

void TJavaView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_outOfDate)
        m_rebuildTimer.start();
}

void TJavaView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int line = lineAt(event->position().toPoint());
    if (line >= 0)
        moveCursorTo(line, false);
}

void TJavaView::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool moves = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up ||
                       (ctrl && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End));
    // A key that moves the cursor waits for no pause in the edits: the text is made now.
    if (moves && m_outOfDate)
        runCommand(this, [this] { lines(); });
    int line = -1;
    switch (event->key()) {
    case Qt::Key_Down:
        line = elementLineFrom(m_cursor < 0 ? verticalScrollBar()->value() : m_cursor + 1, 1);
        break;
    case Qt::Key_Up:
        line = elementLineFrom(m_cursor < 0 ? verticalScrollBar()->value() : m_cursor - 1, -1);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!ctrl || !m_lines)
            return QAbstractScrollArea::keyPressEvent(event);
        line = event->key() == Qt::Key_Home ? elementLineFrom(0, 1)
                                            : elementLineFrom(m_lines->lineCount() - 1, -1);
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    if (line >= 0)
        moveCursorTo(line);
}

int TJavaView::elementLineFrom(int from, int step) const
{
    if (!m_lines || m_outOfDate)
        return -1;
    for (int line = from; line >= 0 && line < m_lines->lineCount(); line += step) {
        if (m_lines->elementAt(line))
            return line;
    }
    return -1;
}

void TJavaView::moveCursorTo(int line, bool scrollIntoSight)
{
    m_cursor = line;
    if (scrollIntoSight)
        showLines(std::make_pair(line, line));
    viewport()->update();
    javaViewCursorMoved(*this);
    emit lineClicked(line);
}

void TJavaView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TJavaView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
