#include "ui/traceview.h"

#include "model/designerror.h"
#include "model/fileio.h"
#include "ui/dialogservice.h"
#include "ui/errortext.h"
#include "ui/uitexts.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

// ---- the model ----

void TTraceModel::follow(const runtime::TraceTable* table)
{
    const int rows = table ? static_cast<int>(table->rows().size()) : 0;
    const int columns = kFixedColumns + (table ? static_cast<int>(table->columns().size()) : 0);
    const std::uint64_t dropped = table ? table->droppedRows() : 0;
    if (table != m_table || dropped != m_dropped || rows < m_rows || columns < m_columns) {
        beginResetModel();
        m_table = table;
        m_rows = rows;
        m_columns = columns;
        m_dropped = dropped;
        endResetModel();
        return;
    }
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
}

int TTraceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TTraceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

const runtime::TraceTable::Row* TTraceModel::rowAt(int row) const
{
    if (!m_table || row < 0 || row >= m_rows)
        return nullptr;
    return &m_table->rows()[static_cast<std::size_t>(row)];
}

QVariant TTraceModel::data(const QModelIndex& index, int role) const
{
    const runtime::TraceTable::Row* row = rowAt(index.row());
    if (!row)
        return {};
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return QString::number(row->step);
    case 1:
        return QString::fromStdString(row->text);
    case 2:
        return QString::fromStdString(row->branch);
    default: {
        const auto c = static_cast<std::size_t>(index.column() - kFixedColumns);
        return c < row->values.size() ? QString::fromStdString(row->values[c]) : QString();
    }
    }
}

QVariant TTraceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return uitexts::traceStep();
    case 1:
        return uitexts::traceElement();
    case 2:
        return uitexts::traceCondition();
    default: {
        const auto c = static_cast<std::size_t>(section - kFixedColumns);
        return m_table && c < m_table->columns().size() ? QString::fromStdString(m_table->columns()[c])
                                                        : QVariant();
    }
    }
}

// ---- the view ----

TTraceView::TTraceView(QWidget* parent)
    : QWidget(parent), m_model(new TTraceModel(this)), m_view(new QTableView(this)), m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("TraceView"));
    m_view->setObjectName(QStringLiteral("TraceTable"));
    m_view->setAccessibleName(uitexts::traceTitle());
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    // Rows of one height: the view need not measure 100,000 rows.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->horizontalHeader()->setDefaultSectionSize(8 * m_view->fontMetrics().averageCharWidth() + 12);
    m_view->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->installEventFilter(this);
    m_note->setObjectName(QStringLiteral("TraceNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_note);
    layout->addWidget(m_view);

    connect(m_view, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (const runtime::TraceTable::Row* row = m_model->rowAt(index.row()))
            emit elementChosen(row->element);
    });
    connect(m_view->horizontalHeader(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showColumnMenu(m_view->horizontalHeader()->mapToGlobal(at)); });
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showColumnMenu(m_view->viewport()->mapToGlobal(at)); });
}

void TTraceView::showTable(const runtime::TraceTable* table)
{
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int columnsBefore = m_model->columnCount();
    const bool another = table != m_model->table();
    m_model->follow(table);
    if (another)
        m_hidden.clear();
    if (another)
        setFixedColumnWidths();
    if (another || m_model->columnCount() != columnsBefore)
        applyColumnChoice();
    if (atEnd)
        m_view->scrollToBottom();
    showNote();
}

void TTraceView::setMissingNote(const QString& note)
{
    m_missingNote = note;
    showNote();
}

void TTraceView::setFixedColumnWidths()
{
    // Room for a step number of seven digits, a short element text, and "Bedingung".
    const QFontMetrics metrics = m_view->fontMetrics();
    const int pad = 3 * metrics.averageCharWidth();
    m_view->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("0000000")) + pad);
    m_view->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("summe = summe + zahl * 2")) + pad);
    m_view->setColumnWidth(2, metrics.horizontalAdvance(uitexts::traceCondition()) + pad);
}

void TTraceView::showNote()
{
    const runtime::TraceTable* table = m_model->table();
    QString note;
    if (table && table->droppedRows() > 0)
        note = uitexts::traceDropped(runtime::TraceTable::kMaxRows, table->droppedRows());
    else if (table && !table->rows().empty() && table->rows().front().step > 1)
        note = uitexts::traceFromStep(table->rows().front().step);
    else if (!table)
        note = m_missingNote;
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

std::vector<bool> TTraceView::chosenColumns() const
{
    const std::size_t count = m_model->table() ? m_model->table()->columns().size() : 0;
    std::vector<bool> chosen(count, true);
    for (std::size_t c = 0; c < count && c < m_hidden.size(); ++c)
        chosen[c] = !m_hidden[c];
    return chosen;
}

void TTraceView::applyColumnChoice()
{
    for (int column = TTraceModel::kFixedColumns; column < m_model->columnCount(); ++column) {
        const auto c = static_cast<std::size_t>(column - TTraceModel::kFixedColumns);
        m_view->setColumnHidden(column, c < m_hidden.size() && m_hidden[c]);
    }
}

void TTraceView::addCommands(QMenu& menu)
{
    const bool rows = m_model->rowCount() > 0;
    QAction* copy = menu.addAction(uitexts::traceCopy(), this, [this] { copyTable(); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(rows);
    menu.addAction(uitexts::traceSaveCsv(), this, [this] { saveCsv(); })->setEnabled(rows);
    menu.addAction(uitexts::tracePrint(), this, [this] { print(); })->setEnabled(rows);
}

void TTraceView::showColumnMenu(const QPoint& globalPosition)
{
    QMenu menu(this);
    addCommands(menu);
    const runtime::TraceTable* table = m_model->table();
    if (table && !table->columns().empty()) {
        menu.addSeparator();
        QMenu* columns = menu.addMenu(uitexts::traceColumns());
        for (std::size_t c = 0; c < table->columns().size(); ++c) {
            QAction* item = columns->addAction(QString::fromStdString(table->columns()[c]));
            item->setCheckable(true);
            item->setChecked(c >= m_hidden.size() || !m_hidden[c]);
            connect(item, &QAction::toggled, this, [this, c](bool shown) {
                if (m_hidden.size() <= c)
                    m_hidden.resize(c + 1, false);
                m_hidden[c] = !shown;
                applyColumnChoice();
            });
        }
    }
    menu.exec(globalPosition);
}

bool TTraceView::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+C is the table's while it has the focus, not the main window's copy command.
    if (watched == m_view &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            copyTable();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TTraceView::copyTable() const
{
    const runtime::TraceTable* table = m_model->table();
    if (!table)
        return;
    const std::vector<bool> chosen = chosenColumns();
    auto mime = std::make_unique<QMimeData>();
    mime->setText(QString::fromStdString(table->csv('\t', chosen)));
    mime->setHtml(QString::fromStdString(table->html(chosen)));
    QApplication::clipboard()->setMimeData(mime.release());
}

void TTraceView::saveCsv()
{
    const runtime::TraceTable* table = m_model->table();
    if (!table)
        return;
    const QString name =
        dialogService().saveFileName(window(), uitexts::filterCsv(), QStringLiteral("csv"), QString());
    if (name.isEmpty())
        return;
    try {
        TSafeFileWriter file(QFile::encodeName(name).toStdString());
        file += table->csv(runtime::csvSeparatorOfEnvironment(), chosenColumns());
        file.commit();
    } catch (const DesignError& error) {
        dialogService().errorMessage(window(), errorText(error));
    }
}

void TTraceView::print()
{
    const runtime::TraceTable* table = m_model->table();
    if (!table)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(uitexts::traceTitle());
    if (!dialogService().printDialog(window(), printer))
        return;
    QTextDocument document;
    document.setHtml(QStringLiteral("<h3>") + uitexts::traceTitle().toHtmlEscaped() +
                     QStringLiteral("</h3>") + QString::fromStdString(table->html(chosenColumns())));
    document.print(&printer);
}
