#pragma once

#include "ChangeOutcome.h"
#include "ChangeQuestions.h"

class QWidget;

namespace merivox {

// How the viewer's window asks a change's questions and tells its outcome: message boxes over
// window, titled as it is.
class ChangeBoxes final : public ChangeQuestions
{
public:
    explicit ChangeBoxes(QWidget *window) : m_window(window) {}

    // "Am Ende anfügen" is the default.
    bool putAtEnd(const QString &why) override;
    // "Abbrechen" is the default.
    bool putSecondCopy(const QString &what) override;

    // Nothing when the change was done or the operator said no; a refusal as a warning (one because
    // the file changed with rereadNote after it), a failure as an error.
    void tell(const ChangeOutcome &outcome, const QString &rereadNote = {}) const;

private:
    QWidget *m_window;
};

} // namespace merivox
