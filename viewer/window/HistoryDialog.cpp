#include "HistoryDialog.h"

#include "ChangeBoxes.h"
#include "ProbeFileEditor.h"
#include "ReaderTexts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace merivox {

HistoryDialog::HistoryDialog(const QString &path, QWidget *parent)
    : QDialog(parent), m_path(path), m_model(new QStandardItemModel(this)), m_table(new QTableView), m_note(new QLabel),
      m_restore(new QPushButton(QStringLiteral("&Wiederherstellen")))
{
    setObjectName(QStringLiteral("frmEntfernteEintraege"));
    setWindowTitle(QStringLiteral("Entfernte Einträge – %1").arg(QFileInfo(path).fileName()));
    m_table->setObjectName(QStringLiteral("tbl_verlauf"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_note->setObjectName(QStringLiteral("lbl_verlauf"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_restore->setObjectName(QStringLiteral("btn_wiederherstellen"));

    auto *buttons = new QDialogButtonBox;
    buttons->addButton(m_restore, QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_restore, &QPushButton::clicked, this, &HistoryDialog::restoreChosen);
    connect(m_table, &QTableView::doubleClicked, this, &HistoryDialog::restoreChosen);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(720, 400);
    readList();
}

void HistoryDialog::readList()
{
    QString error;
    std::optional<RemovedRecords> read = RemovedRecords::read(m_path, &error);
    m_list = read ? std::move(*read) : RemovedRecords();
    m_model->clear();
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Gewinde"), QStringLiteral("Zeitpunkt"), QStringLiteral("Zeilen")});
    for (qsizetype i = 0; i < m_list.rows().size(); ++i) {
        const RemovedRecords::Row &row = m_list.rows().at(i);
        // A record of that name and thread in the file (put back, or written anew) is said so.
        const QString lines = m_list.alreadyInFile(i) ? row.lines + QStringLiteral(" – steht in der Datei") : row.lines;
        QList<QStandardItem *> items{
            new QStandardItem(row.name.isEmpty() ? QStringLiteral("(Zeilen ohne Eintrag)") : visible(row.name)),
            new QStandardItem(visible(row.thread)),
            new QStandardItem(row.when + QStringLiteral(" (") + row.action + QLatin1Char(')')),
            new QStandardItem(lines)};
        m_model->appendRow(items);
    }
    if (!read) {
        m_note->setText(error);
    } else if (m_list.rows().isEmpty()) {
        m_note->setText(changeTexts::historyEmpty(m_path));
    } else {
        m_note->setText(QStringLiteral("Aus dem Verlauf %1, die neuesten zuerst. Ein Eintrag kommt an seine alte "
                                       "Stelle zurück, solange die Datei davor unverändert ist.")
                            .arg(historyFileName(m_path)));
    }
    m_table->resizeColumnsToContents();
    m_restore->setEnabled(!m_list.rows().isEmpty());
    if (!m_list.rows().isEmpty()) {
        chooseRow(0);
    }
}

void HistoryDialog::chooseRow(int row)
{
    m_table->setCurrentIndex(m_model->index(row, 0));
}

void HistoryDialog::restoreChosen()
{
    const int row = m_table->currentIndex().row();
    if (row < 0 || row >= m_list.rows().size()) {
        return;
    }
    // The entry is found again in the list as it is now: the file may have changed since it was shown.
    const std::string id = m_list.rows().at(row).entry.id;
    readList();
    qsizetype now = -1;
    for (qsizetype i = 0; i < m_list.rows().size(); ++i) {
        if (m_list.rows().at(i).entry.id == id) {
            now = i;
        }
    }
    if (now < 0) {
        return;
    }
    chooseRow(int(now));
    const RemovedRecords::Row &chosen = m_list.rows().at(now);
    const QString what = recordText(chosen.name, chosen.thread);
    ChangeBoxes boxes(this);
    const ChangeOutcome outcome = ProbeFileEditor().restore(m_path, m_list, now, boxes);
    if (outcome.declined) {
        return;
    }
    boxes.tell(outcome);
    emit fileChanged(outcome.done() ? changeTexts::putBack(what, outcome.atEnd) : QString());
    readList();
}

} // namespace merivox
