#pragma once

#include "model/javalines.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class TDesignDocument;

// TJavaView: the design's Java text as "Exportieren" writes it, read-only, beside the diagrams. After a
// change its lines are measured again once the current event is done (many changes in a row do it once),
// and only while the view can be seen; only what changed is measured, and only the lines in sight are
// made (model/javalines.h), so a design of a million elements costs no more to show than a small one. It
// highlights lines (the current element's, the running element's, a failed element's), marks breakpoint
// lines, and reports clicks on lines. With the keyboard focus, Up and Down move a line cursor to the next
// line that belongs to an element and report it like a click, so the elements can be walked in the order of
// the text; assistive technology reads the text and follows the cursor (ui/javaviewaccessible).
class TJavaView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using Lines = std::optional<std::pair<int, int>>;

    TJavaView(TDesignDocument& document, QWidget* parent = nullptr);
    ~TJavaView() override;

    // The design changed: the text no longer matches it.
    void textOutOfDate();
    // The text with the lines of each element, made now if it was out of date; its elements are the
    // design's as long as the design does not change.
    const TJavaLines& lines();
    bool upToDate() const { return !m_outOfDate; }

    void setCurrentLines(Lines lines);
    void setRunningLines(Lines lines);
    void setFailedLines(std::vector<Lines> lines);
    void setBreakpointLines(std::vector<int> lines);
    Lines currentLines() const { return m_current; }
    Lines runningLines() const { return m_running; }
    const std::vector<Lines>& failedLines() const { return m_failed; }
    // Scrolls so that `lines` can be seen, unless they already can.
    void showLines(Lines lines);

    // The line at a point of the viewport; -1 below the text.
    int lineAt(QPoint position) const;
    // The line the keyboard cursor stands on: the one last clicked or moved to, else the first line of
    // the current element; -1 when there is none.
    int cursorLine() const { return m_cursor; }
    // Moves the cursor to `line`, scrolls it into sight unless told not to (a click is on a line in
    // sight) and reports it like a click.
    void moveCursorTo(int line, bool scrollIntoSight = true);
    // The text, when it has been made; null while it is out of date or could not be made.
    const TJavaLines* shownLines() const { return m_outOfDate ? nullptr : m_lines.get(); }
    // Where the first character of line `n` is drawn, in viewport coordinates, and the width of a character.
    QPoint linePosition(int n) const;
    int characterWidth() const;

signals:
    // The text was made again: what its lines show must be worked out again.
    void textRebuilt();
    void lineClicked(int line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void rebuild();
    void rebuildOrShowShortage();
    void fitScrollBars();
    int lineHeight() const;
    int visibleLines() const;
    // The nearest line from `from` in steps of `step` (1 or -1) that belongs to an element; -1 if none.
    int elementLineFrom(int from, int step) const;

    TDesignDocument& m_document;
    std::unique_ptr<TJavaLines> m_lines;
    bool m_outOfDate = true;
    bool m_noMemory = false; // the last try to make the text ran out of memory
    QTimer m_rebuildTimer;
    int m_longestLine = 0; // characters
    Lines m_current;
    Lines m_running;
    std::vector<Lines> m_failed;
    std::vector<int> m_breakpoints;
    int m_cursor = -1;
};
