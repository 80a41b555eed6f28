#include "ui/variablesview.h"

#include "runtime/session.h"
#include "ui/cp1252.h"
#include "ui/uitexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QToolTip>

namespace {

// The highlight of a changed value.
const QColor kChanged(255, 230, 102);
// A tool tip shows at most this much of a value, broken into lines of this length.
constexpr qsizetype kLongestTip = 4000;
constexpr qsizetype kTipLine = 100;

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
    auto* copy = new QAction(uitexts::copyValue(), this);
    copy->setObjectName(QStringLiteral("WertKopieren"));
    connect(copy, &QAction::triggered, this, [this] { copyValue(); });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString TVariablesView::valueTip(QPoint position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return {};
    const QString text = index.data().toString();
    const QRect cell = visualRect(index);
    // The text fits when its width and the cell's margins fit into the cell.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) * 2 + 2;
    if (fontMetrics().horizontalAdvance(text) + margin <= cell.width())
        return {};
    QString tip;
    for (qsizetype from = 0; from < std::min(text.size(), kLongestTip); from += kTipLine)
        tip += (from ? QStringLiteral("\n") : QString()) + text.mid(from, kTipLine);
    if (text.size() > kLongestTip)
        tip += QStringLiteral(" …");
    return tip;
}

bool TVariablesView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = valueTip(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

bool TVariablesView::event(QEvent* event)
{
    // Ctrl+C is the view's while it has the focus, not the main window's copy command.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QTreeWidget::event(event);
}

void TVariablesView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyValue();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TVariablesView::copyValue()
{
    if (const QTreeWidgetItem* item = currentItem())
        QApplication::clipboard()->setText(item->text(2));
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
