#pragma once

#include "runtime/runtime.h"

#include <QTreeWidget>

#include <vector>

// TVariablesView: the variables in scope where a run stands, one row each with name, type and value;
// an array opens to its elements. What changed since the view last showed the variables is highlighted.
// Rows are updated in place, so that opened arrays and the scroll position stay. A value too long for its
// column shows whole in a tool tip; "Wert kopieren" (the context menu, or Ctrl+C while the view has the
// focus: the key is not a shortcut, the main window keeps its own Ctrl+C) copies the current
// row's value.
class TVariablesView : public QTreeWidget
{
public:
    explicit TVariablesView(QWidget* parent = nullptr);

    // Shows `variables`; with `highlight`, what differs from what was shown before stands out (a new run
    // shows its first variables without).
    void showVariables(const std::vector<runtime::Variable>& variables, bool highlight);
    // No run: no rows.
    void clearVariables();
    // The tool tip at a point of the viewport: the whole value when it is cut there; else empty.
    QString valueTip(QPoint position) const;
    // Copies the current row's value to the clipboard.
    void copyValue();

protected:
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<runtime::Variable> m_shown;
};
