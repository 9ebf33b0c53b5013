#pragma once

#include "ProbeFile.h"

#include <QAbstractListModel>

namespace merivox {

// The problems of a probe file as list rows, "Zeile 12: text". Makes each row's text only when
// the view shows it, so a file with many thousand problems opens at once.
class ProblemListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int LineRole = Qt::UserRole;

    explicit ProblemListModel(QObject *parent = nullptr);

    void setFile(const ProbeFile *file);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    const ProbeFile *m_file = nullptr;
};

} // namespace merivox
