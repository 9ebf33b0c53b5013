#include "NameColumnFit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

namespace merivox {

NameColumnFit::NameColumnFit(QTableView *table, int column, QList<int> fittedColumns)
    : QObject(table), m_table(table), m_column(column), m_least(table->columnWidth(column)),
      m_fitted(std::move(fittedColumns))
{
    m_table->viewport()->installEventFilter(this);
}

void NameColumnFit::setRows(std::vector<quint32> rows)
{
    m_rows = std::move(rows);
    fit();
}

void NameColumnFit::fit()
{
    const QAbstractItemModel *model = m_table->model();
    const QHeaderView *header = m_table->horizontalHeader();
    if (!model) {
        return;
    }
    // As the view measures a column to its contents, but for the few rows only.
    const int rows = model->rowCount();
    const auto widest = [&](int column) {
        int wanted = header->sectionSizeHint(column);
        const auto measure = [&](int row) {
            if (const QModelIndex index = model->index(row, column); index.isValid()) {
                wanted = std::max(wanted, m_table->sizeHintForIndex(index).width() + (m_table->showGrid() ? 1 : 0));
            }
        };
        for (int row = 0; row < std::min(kFirstRows, rows); ++row) {
            measure(row);
        }
        for (const quint32 row : m_rows) {
            measure(int(row));
        }
        for (int row = std::max(kFirstRows, rows - kFirstRows); row < rows; ++row) {
            measure(row);
        }
        return wanted;
    };
    for (const int column : std::as_const(m_fitted)) {
        m_table->setColumnWidth(column, widest(column));
    }
    const int wanted = widest(m_column);
    // What the other columns keep; the last one, which takes what is left, the width of its heading.
    const int last = model->columnCount() - 1;
    int others = 0;
    for (int column = 0; column <= last; ++column) {
        if (column != m_column && !m_table->isColumnHidden(column)) {
            others += column == last && header->stretchLastSection() ? header->sectionSizeHint(column)
                                                                     : m_table->columnWidth(column);
        }
    }
    const int spare = m_table->viewport()->width() - others;
    m_table->setColumnWidth(m_column, std::max(m_least, std::min(wanted, spare)));
}

bool NameColumnFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize) {
        fit();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace merivox
