#pragma once

#include "runtime/runtime.h"

#include <QTreeWidget>

#include <vector>

// TVariablesView: the variables in scope where a run stands, one row each with name, type and value;
// an array opens to its elements. What changed since the view last showed the variables is highlighted.
// Rows are updated in place, so that opened arrays and the scroll position stay.
class TVariablesView : public QTreeWidget
{
public:
    explicit TVariablesView(QWidget* parent = nullptr);

    // Shows `variables`; with `highlight`, what differs from what was shown before stands out (a new run
    // shows its first variables without).
    void showVariables(const std::vector<runtime::Variable>& variables, bool highlight);
    // No run: no rows.
    void clearVariables();

private:
    std::vector<runtime::Variable> m_shown;
};
