#pragma once

#include "runtime/tracetable.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QMenu;

// TTraceModel: a run's trace table for a table view: the step, the element's text, "ja"/"nein" after a
// condition, then one column per variable in the order the variables appeared. It reads the table of the
// run and follows it as it grows: rows and columns are announced as they come, a whole reset only when
// the oldest rows have been dropped or another table is shown.
class TTraceModel final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows `table` (null: none) as it stands now.
    void follow(const runtime::TraceTable* table);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const runtime::TraceTable* table() const { return m_table; }
    // The row at `row` of the view; null when there is none.
    const runtime::TraceTable::Row* rowAt(int row) const;

    // The fixed columns before the variables'.
    static constexpr int kFixedColumns = 3;

private:
    const runtime::TraceTable* m_table = nullptr;
    int m_rows = 0;
    int m_columns = kFixedColumns;
    std::uint64_t m_dropped = 0;
};

// TTraceView: the dock's content: a note line and the table. A click on a row makes its element current
// (elementChosen). The context menu, and the header's, choose the variables' columns; it copies the
// table (tab-separated text for spreadsheets, HTML for word processors; Ctrl+C while the table has the
// focus), saves it as CSV (UTF-8, the locale's separator) and prints it. A run that recorded from a later
// step on, or that dropped its oldest rows, says so above the table.
class TTraceView final : public QWidget
{
    Q_OBJECT

public:
    explicit TTraceView(QWidget* parent = nullptr);

    // Shows the table of the run as it stands now (null: no run recorded); the view follows the newest
    // row while it stands at the end.
    void showTable(const runtime::TraceTable* table);
    // A note that stands while no table is shown (why the run has none); empty: none.
    void setMissingNote(const QString& note);

    // The chosen variable columns, one flag per column of the table (all when the user chose none).
    std::vector<bool> chosenColumns() const;
    // The table's text as copy puts it on the clipboard, and as CSV.
    void copyTable() const;
    void saveCsv();
    void print();

    QTableView* tableView() const { return m_view; }
    TTraceModel* model() const { return m_model; }

signals:
    void elementChosen(const runtime::ElementId& element);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNote();
    void setFixedColumnWidths();
    QString m_missingNote;
    void showColumnMenu(const QPoint& globalPosition);
    void addCommands(QMenu& menu);
    void applyColumnChoice();

    TTraceModel* m_model;
    QTableView* m_view;
    QLabel* m_note;
    // Per variable column: hidden by the user. Columns that come later are shown.
    std::vector<bool> m_hidden;
};
