#include "RemoveAction.h"

#include "ProbeFile.h"
#include "ReaderTexts.h"
#include "RecordBytes.h"
#include "RemovedRecords.h"

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

bool RemoveAction::confirmed(const QString &path, const ProbeFile &file, qsizetype record, int first, int last)
{
    QMessageBox box(QMessageBox::Question, m_window->windowTitle(),
                    QStringLiteral("Diesen Eintrag aus der Datei entfernen?"), QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("frmEntfernen"));
    box.setInformativeText(QStringLiteral("Name: %1\nGewinde: %2\nZeilen: %3 bis %4\n\n"
                                          "Die bisherige Fassung bleibt als %5 erhalten.")
                               .arg(visible(file.name(record)), visible(file.thread(record)))
                               .arg(first)
                               .arg(last)
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
    const std::optional<ByteRange> range = recordBytes(file, record, &reason);
    if (!range) {
        QMessageBox::information(m_window, m_window->windowTitle(), reason);
        return;
    }
    const int first = int(file.record(record).firstLine) + 1;
    const int last = first + int(file.record(record).lineCount) - 1;
    if (!confirmed(path, file, record, first, last)) {
        return;
    }
    setPath(path);
    const RecordKey key = recordKey(file, record);
    const auto [name, thread] = file.nameAndThreadBytes(record);
    const ProbeFileEditor::Outcome outcome =
        m_editor.remove(path, file.bytes(), range->begin, range->end, name.toByteArray(), thread.toByteArray());
    if (outcome == ProbeFileEditor::Outcome::Done) {
        m_removed = key;
        m_removedText = QStringLiteral("%1 (Gewinde %2), Zeilen %3 bis %4")
                            .arg(visible(key.name), visible(key.thread))
                            .arg(first)
                            .arg(last);
    }
    m_undo->setEnabled(m_editor.canUndo());
    tell(outcome, QStringLiteral("Nichts entfernt; die Datei wird neu eingelesen."));
    if (outcome != ProbeFileEditor::Outcome::Done) {
        emit fileChanged(key, QString());
        return;
    }
    // The record that stood after it takes its row.
    emit fileChanged(RecordKey::atRow(record),
                     QStringLiteral("Entfernt: %1. Rückgängig mit Strg+Z.").arg(m_removedText));
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
    // Not a second copy unasked: another window or station may have put the record back, or written
    // one of its name and thread, since the removal. Checked on the content the locked replace sees.
    const ProbeFileEditor::Removed &last = m_editor.lastRemoved();
    ProbeFileEditor::AlreadyThere check =
        last.name.isEmpty() ? ProbeFileEditor::AlreadyThere() : RemovedRecords::sameKeyIn(last.name, last.thread);
    ProbeFileEditor::Outcome outcome = m_editor.undo(check);
    // No lock is held while a question is open: the file is read anew once it is answered.
    if (m_editor.alreadyInFile()) {
        if (!askSecondCopy(m_window, QStringLiteral("%1 (Gewinde %2)")
                                         .arg(visible(m_removed.name), visible(m_removed.thread)))) {
            return;
        }
        check = {};
        outcome = m_editor.undo();
    }
    if (m_editor.oldPlaceGone()) {
        if (!askAtEnd(m_window, m_editor.errorString())) {
            return;
        }
        outcome = m_editor.undoAtEnd(check);
    }
    m_undo->setEnabled(m_editor.canUndo());
    tell(outcome, QStringLiteral("Nichts eingefügt; die Datei wird neu eingelesen."));
    emit fileChanged(m_removed, outcome == ProbeFileEditor::Outcome::Done
                                    ? QStringLiteral("Wieder eingefügt: %1.").arg(m_removedText)
                                    : QString());
}

bool RemoveAction::askAtEnd(QWidget *window, const QString &why)
{
    QMessageBox box(QMessageBox::Question, window->windowTitle(), why, QMessageBox::NoButton, window);
    box.setObjectName(QStringLiteral("frmAmEnde"));
    box.setInformativeText(QStringLiteral("Den Eintrag am Ende der Datei anfügen?"));
    QPushButton *atEnd = box.addButton(QStringLiteral("Am &Ende anfügen"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(atEnd);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == atEnd;
}

bool RemoveAction::askSecondCopy(QWidget *window, const QString &what)
{
    QMessageBox box(QMessageBox::Question, window->windowTitle(),
                    QStringLiteral("Ein Eintrag %1 steht schon in der Datei.").arg(what), QMessageBox::NoButton,
                    window);
    box.setObjectName(QStringLiteral("frmDoppelt"));
    box.setInformativeText(QStringLiteral("Ihn trotzdem ein zweites Mal einfügen?"));
    QPushButton *twice = box.addButton(QStringLiteral("&Trotzdem einfügen"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == twice;
}

void RemoveAction::tell(ProbeFileEditor::Outcome outcome, const QString &rereadNote)
{
    switch (outcome) {
    case ProbeFileEditor::Outcome::Done:
        return;
    case ProbeFileEditor::Outcome::Refused:
        if (m_editor.cause() == FileCause::Changed) {
            QMessageBox::warning(m_window, m_window->windowTitle(),
                                 m_editor.errorString() + QLatin1Char('\n') + rereadNote);
        } else {
            QMessageBox::warning(m_window, m_window->windowTitle(), m_editor.errorString());
        }
        return;
    case ProbeFileEditor::Outcome::Failed:
        QMessageBox::critical(m_window, m_window->windowTitle(), m_editor.errorString());
        return;
    }
}

} // namespace merivox
