#pragma once

#include <QLabel>

namespace merivox {

// A label that shows one of the program's pictures (Pictures.h), drawn from its source each time
// it is painted instead of kept as pixels: the editor's drawing alone would hold some 400 kB for
// as long as the editor is open, and the window system keeps what was painted anyway. The
// picture fills the label's contents; assistive technology meets it as a picture, as it meets a
// label that holds a pixmap.
class PictureLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureLabel)

public:
    explicit PictureLabel(QWidget *parent = nullptr);
    ~PictureLabel() override;

    void showPicture(const QString &name);
    [[nodiscard]] QString pictureName() const { return m_name; }
    // Its size in device pixels, as drawn now; empty while there is no picture.
    [[nodiscard]] QSize pictureSize() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
};

} // namespace merivox
