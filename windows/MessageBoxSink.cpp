#include "MessageBoxSink.h"

#include <QPushButton>

namespace merivox {

std::unique_ptr<QMessageBox> MessageBoxSink::createBox(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(icon, QStringLiteral("Merivox"), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setWindowModality(Qt::ApplicationModal);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> MessageBoxSink::createAppendQuestion(const QString &text, QWidget *parent,
                                                                  QAbstractButton **append)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Merivox"), text,
                                             QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("frmDoppelt"));
    box->setWindowModality(Qt::ApplicationModal);
    *append = box->addButton(QStringLiteral("Trotzdem anhängen"), QMessageBox::AcceptRole);
    QPushButton *cancel = box->addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    return box;
}

bool MessageBoxSink::askAppendAnyway(const QString &text)
{
    QAbstractButton *append = nullptr;
    const std::unique_ptr<QMessageBox> box = createAppendQuestion(text, m_parent, &append);
    box->exec();
    // Closed any other way than by "Trotzdem anhängen" (Esc, the close box), nothing is written.
    return box->clickedButton() == append;
}

void MessageBoxSink::showError(const QString &text)
{
    createBox(QMessageBox::Critical, text, m_parent)->exec();
}

void MessageBoxSink::showSuccess(const QString &text)
{
    createBox(QMessageBox::NoIcon, text, m_parent)->exec();
}

} // namespace merivox
