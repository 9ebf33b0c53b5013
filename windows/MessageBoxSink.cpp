#include "MessageBoxSink.h"

namespace merivox {

std::unique_ptr<QMessageBox> MessageBoxSink::createBox(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(icon, QStringLiteral("Merivox"), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setWindowModality(Qt::ApplicationModal);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
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
