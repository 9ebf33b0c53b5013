#include "ProblemListModel.h"

#include "ReaderTexts.h"

namespace merivox {

ProblemListModel::ProblemListModel(QObject *parent) : QAbstractListModel(parent) {}

void ProblemListModel::setFile(const ProbeFile *file)
{
    beginResetModel();
    m_file = file;
    m_notes = file ? file->notes() : QList<Problem>();
    m_notShown = file ? file->problemCount() + file->hintCount() - m_notes.size() : 0;
    endResetModel();
}

int ProblemListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_notes.size() + (m_notShown > 0 ? 1 : 0));
}

QVariant ProblemListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (index.row() == m_notes.size()) {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            return QStringLiteral("… und %1 mehr, hier nicht gezeigt (merivox-view --check DATEI zeigt alle).")
                .arg(m_notShown);
        }
        return {};
    }
    const Problem &note = m_notes.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QStringLiteral("Zeile %1%2: %3%4")
            .arg(note.line)
            .arg(note.midLine ? QStringLiteral(" (ab ITEM:)") : QString())
            .arg(note.hint ? QStringLiteral("Hinweis: ") : QString(), note.text);
    case LineRole:
        return note.line;
    case MidLineRole:
        return note.midLine;
    default:
        return {};
    }
}

} // namespace merivox
