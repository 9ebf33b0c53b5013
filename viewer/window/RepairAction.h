#pragma once

#include "LineRepair.h"

#include <QObject>

#include <optional>

class QMenu;
class QWidget;

namespace merivox {

class ProbeFile;

// The problem list's repairs: for the problem at a line, the repair of that line alone (lines
// that belong to no record taken out, or a line that holds two records split), never the record
// before or around it. Asks the operator to confirm, naming the lines, then changes the file as
// a removal does; after each attempt the file is to be read again.
class RepairAction final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RepairAction)

public:
    // The questions and messages belong to window.
    explicit RepairAction(QWidget *window);

    // The context menu of the problem at line (1-based) of file: its repair, or a disabled entry
    // that says there is none. The menu belongs to parent; its action, when triggered, repairs.
    QMenu *menuFor(const QString &path, const ProbeFile &file, int line, QWidget *parent);
    // Asks, then mends the problem at line of the file at path, whose content file shows.
    void repair(const QString &path, const ProbeFile &file, int line);

signals:
    // The file may have changed: read it again and show the note in the status bar.
    void fileChanged(const QString &note);

private:
    bool confirmed(const LineRepair &repair);
    void mend(const QString &path, const QByteArray &seen, const LineRepair &repair);

    QWidget *m_window;
};

} // namespace merivox
