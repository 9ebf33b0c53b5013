#pragma once

#include "ProbeFileEditor.h"
#include "RecordKey.h"

#include <QObject>

class QAction;
class QWidget;

namespace merivox {

class ProbeFile;

// The viewer's "Eintrag entfernen …" and "Rückgängig": asks the operator to confirm with the
// record's name, thread and lines, takes exactly that record's bytes out of the file and can put
// them back while the file has not changed since. Every outcome is told in the window; after each
// attempt the file is to be read again, since it may have changed.
class RemoveAction final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoveAction)

public:
    // The actions' texts, shortcuts and messages belong to window.
    explicit RemoveAction(QWidget *window);

    QAction *removeAction() const { return m_remove; }
    QAction *undoAction() const { return m_undo; }

    // The file the window shows from now on. Taking a record out of another file is no longer
    // undone from here.
    void setPath(const QString &path);
    // Whether a record is chosen that could be taken out.
    void setRecordChosen(bool chosen);

    // Asks, then takes the record out of the file at path, whose content file shows.
    void remove(const QString &path, const ProbeFile &file, qsizetype record);
    // Puts the last record taken out back: at its old place while the file before it is
    // unchanged, else, once the operator agrees, at the end of the file.
    void undo();
    // The file was read again: "Rückgängig" stays offered only while the last removal was not
    // put back meanwhile.
    void fileRead(const ProbeFile &file);

signals:
    // The file may have changed: read it again, choose the record that key names and show the note
    // in the status bar.
    void fileChanged(const merivox::RecordKey &key, const QString &note);

private:
    bool confirmed(const QString &path, const RemovalPlan &plan);

    QWidget *m_window;
    QAction *m_remove;
    QAction *m_undo;
    ProbeFileEditor m_editor;
    QString m_path;
    RecordKey m_removed;
    QString m_removedText;
};

} // namespace merivox
