#pragma once

#include "CreateCommand.h"

#include <QMessageBox>
#include <memory>

namespace merivox {

// Shows the Create command's messages as modal boxes titled "Merivox" with a single OK button:
// errors with the error icon, success without an icon; the question before an entry is appended a
// second time with the question icon, "Trotzdem anhängen" and "Abbrechen" (the default and Esc).
class MessageBoxSink final : public MessageSink
{
public:
    explicit MessageBoxSink(QWidget *parent) : m_parent(parent) {}

    void showError(const QString &text) override;
    void showSuccess(const QString &text) override;
    bool askAppendAnyway(const QString &text) override;

    // Every box is made here, so that tests can find and answer it like the operator does.
    static std::unique_ptr<QMessageBox> createBox(QMessageBox::Icon icon, const QString &text, QWidget *parent);
    // The question box (objectName "frmDoppelt"), and its button that appends.
    static std::unique_ptr<QMessageBox> createAppendQuestion(const QString &text, QWidget *parent,
                                                             QAbstractButton **append);

private:
    QWidget *m_parent;
};

} // namespace merivox
