#pragma once

#include "ProbeFile.h"

#include <QAbstractTableModel>

namespace merivox {

// The records of a probe file as table rows: name, thread, kind, lines, decimal separator.
// Reads each cell from the file when the view asks for it, so a large file fills the table at once.
class RecordTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, ThreadColumn, KindColumn, LinesColumn, DecimalColumn, ColumnCount };

    explicit RecordTableModel(QObject *parent = nullptr);

    void setFile(const ProbeFile *file);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ProbeFile *m_file = nullptr;
};

} // namespace merivox
