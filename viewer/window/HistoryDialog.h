#pragma once

#include "RemovedRecords.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace merivox {

// "Entfernte Einträge …": what the history beside the file keeps of the records taken out of it,
// newest first (name, thread, when, lines), as merivox-view --history lists it; the chosen one is
// put back into the file at its old place, or at the end once the operator agrees. A record whose
// name and thread already stand in the file is put in a second time only when the operator says so.
class HistoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryDialog)

public:
    HistoryDialog(const QString &path, QWidget *parent);

    // The list's table: one row per entry, the columns Name, Gewinde, Zeitpunkt, Zeilen.
    QStandardItemModel *model() const { return m_model; }
    // Reads the history and the file again and shows the list.
    void readList();
    // Chooses a row of the list.
    void chooseRow(int row);
    // Asks as needed, then puts the chosen entry back into the file.
    void restoreChosen();

signals:
    // The file may have changed: read it again and show the note in the status bar.
    void fileChanged(const QString &note);

private:
    QString m_path;
    RemovedRecords m_list;
    QStandardItemModel *m_model;
    QTableView *m_table;
    QLabel *m_note;
    QPushButton *m_restore;
};

} // namespace merivox
