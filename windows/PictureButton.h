#pragma once

#include <QPushButton>

namespace merivox {

// A push button that shows only a picture. The picture may cover the whole button, frame and
// focus mark included, so the button draws its own focus mark on top of it.
class PictureButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget *parent = nullptr) : QPushButton(parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace merivox
