#pragma once

#include <QPushButton>

namespace merivox {

// A push button that shows only a picture, one of the program's own (Pictures.h). The picture may
// cover the whole button, frame and focus mark included, so the button draws its own focus mark on
// top of it. The picture is drawn anew whenever the button is painted instead of being kept as an
// icon's pixels.
class PictureButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget *parent = nullptr) : QPushButton(parent) {}

    // The picture, shown at size (logical pixels) as the button's icon.
    void setPicture(const QString &name, QSize size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_picture;
};

} // namespace merivox
