#include "RecordTableModel.h"

#include "ReaderTexts.h"

namespace merivox {

namespace {
QString decimalText(Decimal decimal)
{
    switch (decimal) {
    case Decimal::Point:
        return QStringLiteral("Punkt");
    case Decimal::Comma:
        return QStringLiteral("Komma");
    case Decimal::Mixed:
        return QStringLiteral("gemischt");
    case Decimal::None:
        break;
    }
    return QStringLiteral("–");
}
} // namespace

RecordTableModel::RecordTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void RecordTableModel::setFile(const ProbeFile *file)
{
    beginResetModel();
    m_file = file;
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_file ? 0 : int(m_file->recordCount());
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!m_file || !index.isValid() || index.row() >= m_file->recordCount()) {
        return {};
    }
    const ProbeFile::Record &record = m_file->record(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == LinesColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (index.column()) {
    case NameColumn:
        return visible(m_file->name(index.row()));
    case ThreadColumn:
        return visible(m_file->thread(index.row()));
    case KindColumn:
        return kindText(record);
    case LinesColumn:
        // A record whose item line follows another line's text starts in the middle of that line.
        return QStringLiteral("%1%2–%3")
            .arg(record.firstLine + 1)
            .arg(m_file->startsMidLine(index.row()) ? QStringLiteral(" (ab ITEM:)") : QString())
            .arg(record.firstLine + record.lineCount);
    case DecimalColumn:
        return decimalText(record.decimal);
    default:
        return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case ThreadColumn:
        return QStringLiteral("Gewinde");
    case KindColumn:
        return QStringLiteral("Art");
    case LinesColumn:
        return QStringLiteral("Zeilen");
    case DecimalColumn:
        return QStringLiteral("Dezimalzeichen");
    default:
        return {};
    }
}

} // namespace merivox
