#include "ui/variablesview.h"

#include "runtime/session.h"
#include "ui/cp1252.h"
#include "ui/uitexts.h"

#include <QHeaderView>

namespace {

// The highlight of a changed value.
const QColor kChanged(255, 230, 102);

void setHighlight(QTreeWidgetItem& item, bool changed)
{
    const QBrush brush = changed ? QBrush(kChanged) : QBrush();
    for (int column = 0; column < 3; ++column)
        item.setBackground(column, brush);
}

void setTexts(QTreeWidgetItem& item, const QString& name, const QString& type, const QString& value)
{
    if (item.text(0) != name)
        item.setText(0, name);
    if (item.text(1) != type)
        item.setText(1, type);
    if (item.text(2) != value)
        item.setText(2, value);
}

} // namespace

TVariablesView::TVariablesView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("VariablesView"));
    setAccessibleName(uitexts::variablesTitle());
    setColumnCount(3);
    setHeaderLabels({uitexts::variablesName(), uitexts::variablesType(), uitexts::variablesValue()});
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
}

void TVariablesView::showVariables(const std::vector<runtime::Variable>& variables, bool highlight)
{
    const std::vector<runtime::VariableChange> changes = runtime::changedVariables(m_shown, variables);
    for (std::size_t i = 0; i < variables.size(); ++i) {
        const runtime::Variable& v = variables[i];
        const int row = static_cast<int>(i);
        QTreeWidgetItem* item = topLevelItem(row);
        const QString name = fromCp1252(v.name);
        const QString type = fromCp1252(v.type);
        // A row shows the same variable as before, or another one and starts closed.
        if (item && (item->text(0) != name || item->text(1) != type)) {
            delete takeTopLevelItem(row);
            item = nullptr;
        }
        if (!item) {
            item = new QTreeWidgetItem;
            insertTopLevelItem(row, item);
        }
        setTexts(*item, name, type, QString::fromUtf8(v.value));
        setHighlight(*item, highlight && changes[i].value);
        const QString elementType = type.left(type.size() - 2); // "int[]" → "int"
        while (item->childCount() > static_cast<int>(v.elements.size()))
            delete item->takeChild(item->childCount() - 1);
        for (std::size_t k = 0; k < v.elements.size(); ++k) {
            QTreeWidgetItem* child = item->child(static_cast<int>(k));
            if (!child)
                child = new QTreeWidgetItem(item);
            setTexts(*child, QStringLiteral("[%1]").arg(k), elementType, QString::fromUtf8(v.elements[k]));
            setHighlight(*child, highlight && changes[i].elements[k]);
        }
    }
    while (topLevelItemCount() > static_cast<int>(variables.size()))
        delete takeTopLevelItem(topLevelItemCount() - 1);
    m_shown = variables;
}

void TVariablesView::clearVariables()
{
    clear();
    m_shown.clear();
}
