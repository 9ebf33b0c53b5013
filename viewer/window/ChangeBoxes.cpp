#include "ChangeBoxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace merivox {

bool ChangeBoxes::putAtEnd(const QString &why)
{
    QMessageBox box(QMessageBox::Question, m_window->windowTitle(), why, QMessageBox::NoButton, m_window);
    box.setObjectName(QStringLiteral("frmAmEnde"));
    box.setInformativeText(QStringLiteral("Den Eintrag am Ende der Datei anfügen?"));
    QPushButton *atEnd = box.addButton(QStringLiteral("Am &Ende anfügen"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(atEnd);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == atEnd;
}

bool ChangeBoxes::putSecondCopy(const QString &what)
{
    QMessageBox box(QMessageBox::Question, m_window->windowTitle(),
                    QStringLiteral("Ein Eintrag %1 steht schon in der Datei.").arg(what), QMessageBox::NoButton,
                    m_window);
    box.setObjectName(QStringLiteral("frmDoppelt"));
    box.setInformativeText(QStringLiteral("Ihn trotzdem ein zweites Mal einfügen?"));
    QPushButton *twice = box.addButton(QStringLiteral("&Trotzdem einfügen"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == twice;
}

void ChangeBoxes::tell(const ChangeOutcome &outcome, const QString &rereadNote) const
{
    if (outcome.done() || outcome.declined) {
        return;
    }
    if (!outcome.refused()) {
        QMessageBox::critical(m_window, m_window->windowTitle(), outcome.text);
    } else if (outcome.cause == FileCause::Changed && !rereadNote.isEmpty()) {
        QMessageBox::warning(m_window, m_window->windowTitle(), outcome.text + QLatin1Char('\n') + rereadNote);
    } else {
        QMessageBox::warning(m_window, m_window->windowTitle(), outcome.text);
    }
}

} // namespace merivox
