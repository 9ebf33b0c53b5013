#include "ProblemListModel.h"

namespace merivox {

ProblemListModel::ProblemListModel(QObject *parent) : QAbstractListModel(parent) {}

void ProblemListModel::setFile(const ProbeFile *file)
{
    beginResetModel();
    m_file = file;
    endResetModel();
}

int ProblemListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_file ? 0 : int(m_file->problems().size());
}

QVariant ProblemListModel::data(const QModelIndex &index, int role) const
{
    if (!m_file || !index.isValid() || index.row() >= m_file->problems().size()) {
        return {};
    }
    const Problem &problem = m_file->problems().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QStringLiteral("Zeile %1: %2").arg(problem.line).arg(problem.text);
    case LineRole:
        return problem.line;
    default:
        return {};
    }
}

} // namespace merivox
