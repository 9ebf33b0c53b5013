#pragma once

#include <QCheckBox>

namespace merivox {

// A check box whose caption wraps onto further lines when it is wider than the box.
class WrappingCheckBox final : public QCheckBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WrappingCheckBox)

public:
    explicit WrappingCheckBox(const QString &text, QWidget *parent = nullptr) : QCheckBox(text, parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace merivox
