#include "PictureLabel.h"

#include "Pictures.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace merivox {

namespace {

// What assistive technology learns of a picture label: what it learns of a label holding a
// pixmap (a graphic, with the picture's size and place).
class PictureAccessible final : public QAccessibleWidget, public QAccessibleImageInterface
{
public:
    explicit PictureAccessible(PictureLabel *label) : QAccessibleWidget(label, QAccessible::Graphic) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ImageInterface) {
            return static_cast<QAccessibleImageInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString imageDescription() const override { return widget()->toolTip(); }
    QSize imageSize() const override { return label()->pictureSize(); }
    QPoint imagePosition() const override
    {
        return label()->pictureName().isEmpty() ? QPoint() : label()->mapToGlobal(label()->pos());
    }

private:
    PictureLabel *label() const { return static_cast<PictureLabel *>(widget()); }
};

QAccessibleInterface *pictureAccessible(const QString &, QObject *object)
{
    auto *label = qobject_cast<PictureLabel *>(object);
    return label ? new PictureAccessible(label) : nullptr;
}

} // namespace

PictureLabel::PictureLabel(QWidget *parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

PictureLabel::~PictureLabel() = default;

void PictureLabel::showPicture(const QString &name)
{
    m_name = name;
    update();
}

QSize PictureLabel::pictureSize() const
{
    if (m_name.isEmpty()) {
        return {};
    }
    const QRect box = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    return box.size() * devicePixelRatio();
}

void PictureLabel::paintEvent(QPaintEvent *)
{
    // As a label paints a pixmap of its contents' size.
    QPainter painter(this);
    drawFrame(&painter);
    if (m_name.isEmpty()) {
        return;
    }
    const QRect box = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    QPixmap pixels = renderPicture(m_name, box.size(), devicePixelRatio());
    if (!isEnabled()) {
        QStyleOption option;
        option.initFrom(this);
        pixels = style()->generatedIconPixmap(QIcon::Disabled, pixels, &option);
    }
    style()->drawItemPixmap(&painter, box, QStyle::visualAlignment(layoutDirection(), alignment()), pixels);
}

} // namespace merivox
