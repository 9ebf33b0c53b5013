#pragma once

#include "ProbeFile.h"

#include <QAbstractListModel>

namespace merivox {

// The problems and hints of a probe file as list rows, "Zeile 12: text", "Zeile 3: Hinweis: text",
// by line. Shows those that the file kept; a last row tells how many more there are.
class ProblemListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int LineRole = Qt::UserRole;
    static constexpr int MidLineRole = Qt::UserRole + 1; // of the record that starts mid-line

    explicit ProblemListModel(QObject *parent = nullptr);

    void setFile(const ProbeFile *file);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const ProbeFile *m_file = nullptr;
    QList<Problem> m_notes;
    qsizetype m_notShown = 0;
};

} // namespace merivox
