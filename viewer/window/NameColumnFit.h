#pragma once

#include <QList>
#include <QObject>

#include <vector>

class QTableView;

namespace merivox {

// Keeps a table's name column as wide as the widest name of the file shown, so that names are read
// whole, within the room that the other columns leave: the columns given as fitted to their
// content (the line numbers) take what their heading and texts need, the others keep their widths,
// the last one the width of its heading, and a very long name takes the spare width, no more (its
// tool tip then shows it whole). Never narrower than the column was made. Only a few rows are
// measured: those with the longest names by their bytes, found while the file was read, the first
// rows, since a name of broad letters may be wider than a longer one, and the last rows, which have
// the largest line numbers; measuring every row of a large file would stall the window. Fits again
// whenever the table's width changes.
class NameColumnFit final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameColumnFit)

public:
    // Fits the table's column, as wide now as it should be at least.
    explicit NameColumnFit(QTableView *table, int column, QList<int> fittedColumns = {});

    // The first rows and the last rows measured whatever the file.
    static constexpr int kFirstRows = 64;

    // The rows whose names are the longest of the file shown now; fits the column to them.
    void setRows(std::vector<quint32> rows);
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *m_table;
    int m_column;
    int m_least;
    QList<int> m_fitted;
    std::vector<quint32> m_rows;
};

} // namespace merivox
