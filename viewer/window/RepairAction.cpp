#include "RepairAction.h"

#include "ChangeBoxes.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace merivox {

RepairAction::RepairAction(QWidget *window) : QObject(window), m_window(window) {}

QMenu *RepairAction::menuFor(const QString &path, const ProbeFile &file, int line, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("mnuProblem"));
    const std::optional<LineRepair> found = LineRepair::of(file, line);
    if (!found) {
        QAction *none = menu->addAction(QStringLiteral("Nichts auszubessern"));
        none->setObjectName(QStringLiteral("act_ausbessern"));
        none->setEnabled(false);
        return menu;
    }
    QAction *act = menu->addAction(found->actionText() + QStringLiteral(" …"));
    act->setObjectName(QStringLiteral("act_ausbessern"));
    act->setShortcut(QKeySequence::Delete);
    // The repair as the file was shown when the menu opened: a reading meanwhile does not move it
    // to other lines, and the file must still hold what was shown.
    connect(act, &QAction::triggered, this,
            [this, path, seen = file.bytes(), repair = *found] { mend(path, seen, repair); });
    return menu;
}

bool RepairAction::confirmed(const LineRepair &repair)
{
    QMessageBox box(QMessageBox::Question, m_window->windowTitle(), repair.question(), QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("frmAusbessern"));
    box.setInformativeText(QStringLiteral("Kein Eintrag wird dabei verändert."));
    const QString label =
        repair.kind == LineRepair::Kind::SplitLine ? QStringLiteral("&Teilen") : QStringLiteral("&Entfernen");
    QPushButton *yes = box.addButton(label, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    // A slip of the Enter key changes nothing.
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == yes;
}

void RepairAction::repair(const QString &path, const ProbeFile &file, int line)
{
    QString reason;
    const std::optional<LineRepair> found = LineRepair::of(file, line, &reason);
    if (!found) {
        QMessageBox::information(m_window, m_window->windowTitle(), reason);
        return;
    }
    mend(path, file.bytes(), *found);
}

void RepairAction::mend(const QString &path, const QByteArray &seen, const LineRepair &found)
{
    if (!confirmed(found)) {
        return;
    }
    const ChangeOutcome outcome = ProbeFileEditor().repair(path, seen, found);
    ChangeBoxes(m_window).tell(outcome, QStringLiteral("Nichts geändert; die Datei wird neu eingelesen."));
    emit fileChanged(outcome.done() ? found.doneText() : QString());
}

} // namespace merivox
