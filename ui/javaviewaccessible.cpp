#include "ui/javaviewaccessible.h"

#include "model/javalines.h"
#include "ui/cp1252.h"
#include "ui/javaview.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <climits>
#include <string>

namespace {

// Offsets are those of the exported text: one byte of code page 1252 is one character.
class TJavaViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TJavaViewAccessible(TJavaView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.focusable = true;
        return s;
    }

    // No selections: the view shows the current element by its highlight, not by selected text.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override
    {
        const TJavaLines* lines = view().shownLines();
        return lines && view().cursorLine() >= 0 ? offset(lines->lineStart(view().cursorLine())) : 0;
    }
    void setCursorPosition(int position) override
    {
        if (const TJavaLines* lines = view().shownLines(); lines && position >= 0)
            // After the request, by the keyboard's own route: the element is chosen as by Up and Down.
            QMetaObject::invokeMethod(&view(), [v = &view(), line = lines->lineOf(static_cast<std::size_t>(
                                                                 position))] { v->moveCursorTo(line); });
    }

    QString text(int startOffset, int endOffset) const override
    {
        const TJavaLines* lines = view().shownLines();
        const std::size_t from = clamp(startOffset);
        const std::size_t to = std::max(from, clamp(endOffset));
        return lines ? fromCp1252(lines->text(from, to)) : QString();
    }
    int characterCount() const override { return offset(length()); }

    QString textAtOffset(int at, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        const auto [from, to] = unitAt(clamp(at), type);
        *start = offset(from);
        *end = offset(to);
        return text(*start, *end);
    }
    QString textBeforeOffset(int at, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        const std::size_t unitStart = unitAt(clamp(at), type).first;
        if (unitStart == 0) {
            *start = *end = -1;
            return {};
        }
        return textAtOffset(offset(unitStart - 1), type, start, end);
    }
    QString textAfterOffset(int at, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        const std::size_t unitEnd = unitAt(clamp(at), type).second;
        if (unitEnd >= length()) {
            *start = *end = -1;
            return {};
        }
        return textAtOffset(offset(unitEnd), type, start, end);
    }

    QRect characterRect(int at) const override
    {
        const TJavaLines* lines = view().shownLines();
        if (!lines)
            return {};
        const std::size_t position = clamp(at);
        const int line = lines->lineOf(position);
        const int column = static_cast<int>(position - lines->lineStart(line));
        const int width = view().characterWidth();
        const QPoint topLeft = view().linePosition(line) + QPoint(column * width, 0);
        const QRect r(topLeft, QSize(width, view().viewport()->fontMetrics().height()));
        return QRect(view().viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const TJavaLines* lines = view().shownLines();
        const QPoint inViewport = view().viewport()->mapFromGlobal(point);
        const int line = view().lineAt(inViewport);
        if (!lines || line < 0)
            return -1;
        const int column = (inViewport.x() - view().linePosition(line).x()) / view().characterWidth();
        if (column < 0 ||
            static_cast<std::size_t>(column) >= lines->lineStart(line + 1) - lines->lineStart(line) ||
            lines->line(line, static_cast<std::size_t>(column), 1).empty())
            return -1;
        return offset(lines->lineStart(line) + static_cast<std::size_t>(column));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        if (const TJavaLines* lines = view().shownLines())
            view().showLines(
                std::make_pair(lines->lineOf(clamp(startIndex)), lines->lineOf(clamp(endIndex))));
    }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    TJavaView& view() const { return *static_cast<TJavaView*>(widget()); }
    std::size_t length() const
    {
        const TJavaLines* lines = view().shownLines();
        return lines ? lines->size() : 0;
    }
    static int offset(std::size_t position)
    {
        return static_cast<int>(std::min<std::size_t>(position, INT_MAX));
    }
    std::size_t clamp(int at) const { return std::min(static_cast<std::size_t>(std::max(at, 0)), length()); }

    // The character, word (a run of blanks or of other characters), line (with its line end) or whole text
    // around `position`.
    std::pair<std::size_t, std::size_t> unitAt(std::size_t position, QAccessible::TextBoundaryType type) const
    {
        const std::size_t size = length();
        const TJavaLines* lines = view().shownLines();
        if (size == 0 || !lines || type == QAccessible::NoBoundary)
            return {0, size};
        position = std::min(position, size - 1);
        switch (type) {
        case QAccessible::CharBoundary:
            return {position, position + 1};
        case QAccessible::WordBoundary: {
            // The text around the position is made in pieces that grow until the word's ends are in them.
            const auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
            for (std::size_t reach = 256;; reach *= 4) {
                const std::size_t start = position > reach ? position - reach : 0;
                const std::size_t end = std::min(size, position + reach);
                const std::string around = lines->text(start, end);
                const auto at = [&](std::size_t i) { return blank(around[i - start]); };
                std::size_t from = position;
                std::size_t to = position + 1;
                while (from > start && at(from - 1) == at(position))
                    --from;
                while (to < end && at(to) == at(position))
                    ++to;
                if ((from > start || start == 0) && (to < end || end == size))
                    return {from, to};
            }
        }
        default: { // lines, sentences and paragraphs: a line of program text is all three
            const int line = lines->lineOf(position);
            return {lines->lineStart(line), lines->lineStart(line + 1)};
        }
        }
    }
};

QAccessibleInterface* javaViewFactory(const QString&, QObject* object)
{
    auto* view = dynamic_cast<TJavaView*>(object);
    return view ? new TJavaViewAccessible(view) : nullptr;
}

} // namespace

void installJavaViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(javaViewFactory);
        return true;
    }();
    (void)installed;
}

void javaViewCursorMoved(TJavaView& view)
{
    if (!QAccessible::isActive() || !view.hasFocus())
        return;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&view);
    QAccessibleTextInterface* text = face ? face->textInterface() : nullptr;
    if (!text)
        return;
    QAccessibleTextCursorEvent event(&view, text->cursorPosition());
    QAccessible::updateAccessibility(&event);
}
