#include "RemoveAction.h"

#include "ChangeBoxes.h"
#include "ProbeFile.h"
#include "ReaderTexts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace merivox {

RemoveAction::RemoveAction(QWidget *window)
    : QObject(window), m_window(window), m_remove(new QAction(QStringLiteral("Eintrag &entfernen …"), this)),
      m_undo(new QAction(QStringLiteral("&Rückgängig"), this))
{
    m_remove->setObjectName(QStringLiteral("act_entfernen"));
    m_remove->setShortcut(QKeySequence::Delete);
    m_remove->setEnabled(false);
    m_undo->setObjectName(QStringLiteral("act_rueckgaengig"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_undo->setEnabled(false);
    connect(m_undo, &QAction::triggered, this, &RemoveAction::undo);
}

void RemoveAction::setPath(const QString &path)
{
    if (path != m_path) {
        m_path = path;
        m_editor = ProbeFileEditor();
        m_undo->setEnabled(false);
    }
}

void RemoveAction::setRecordChosen(bool chosen)
{
    m_remove->setEnabled(chosen);
}

bool RemoveAction::confirmed(const QString &path, const RemovalPlan &plan)
{
    QMessageBox box(QMessageBox::Question, m_window->windowTitle(),
                    QStringLiteral("Diesen Eintrag aus der Datei entfernen?"), QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("frmEntfernen"));
    box.setInformativeText(QStringLiteral("Name: %1\nGewinde: %2\nZeilen: %3 bis %4\n\n"
                                          "Die bisherige Fassung bleibt als %5 erhalten.")
                               .arg(visible(plan.name), visible(plan.thread))
                               .arg(plan.firstLine)
                               .arg(plan.lastLine)
                               .arg(QFileInfo(path).fileName() + QStringLiteral(".bak")));
    QPushButton *remove = box.addButton(QStringLiteral("&Entfernen"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    // A slip of the Enter key keeps the record.
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == remove;
}

void RemoveAction::remove(const QString &path, const ProbeFile &file, qsizetype record)
{
    if (record < 0 || record >= file.recordCount()) {
        return;
    }
    QString reason;
    const std::optional<RemovalPlan> plan = RemovalPlan::of(file, record, &reason);
    if (!plan) {
        QMessageBox::information(m_window, m_window->windowTitle(), reason);
        return;
    }
    if (!confirmed(path, *plan)) {
        return;
    }
    setPath(path);
    const RecordKey key = recordKey(file, record);
    const ChangeOutcome outcome = m_editor.remove(path, file.bytes(), *plan);
    if (outcome.changed) {
        m_removed = key;
        m_removedText = plan->what();
    }
    m_undo->setEnabled(m_editor.canUndo());
    ChangeBoxes(m_window).tell(outcome, QStringLiteral("Nichts entfernt; die Datei wird neu eingelesen."));
    if (!outcome.done()) {
        emit fileChanged(key, QString());
        return;
    }
    // The record that stood after it takes its row.
    emit fileChanged(RecordKey::atRow(record),
                     changeTexts::removed(m_removedText) + QStringLiteral(" Rückgängig mit Strg+Z."));
}

void RemoveAction::fileRead(const ProbeFile &file)
{
    m_undo->setEnabled(m_editor.canUndo() && m_editor.stillUndoable(file.bytes()));
}

void RemoveAction::undo()
{
    if (!m_editor.canUndo()) {
        return;
    }
    // Not a second copy unasked, and not at the end unasked: another window or station may have
    // put the record back, written one of its name and thread, or changed the file before its
    // place since the removal.
    ChangeBoxes boxes(m_window);
    const ChangeOutcome outcome = m_editor.undo(boxes);
    if (outcome.declined) {
        return;
    }
    m_undo->setEnabled(m_editor.canUndo());
    boxes.tell(outcome, QStringLiteral("Nichts eingefügt; die Datei wird neu eingelesen."));
    emit fileChanged(m_removed,
                     outcome.done() ? QStringLiteral("Wieder eingefügt: %1.").arg(m_removedText) : QString());
}

} // namespace merivox
