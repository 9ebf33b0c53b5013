#include "Accessibility.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace merivox {

void nameByLabel(QWidget *control, QLabel *label)
{
    label->setBuddy(control);
    nameControl(control, label->text());
}

void nameControl(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (auto *list = qobject_cast<QComboBox *>(control)) {
        if (list->lineEdit()) {
            list->lineEdit()->setAccessibleName(name);
        }
        list->view()->setAccessibleName(name);
    }
}

void describeDrawing(QLabel *picture, TipKind kind)
{
    const TipKindDescription *description = findTipKind(kind);
    picture->setAccessibleName(QStringLiteral("Maßzeichnung"));
    picture->setAccessibleDescription(description ? QString::fromUtf8(description->drawing) : QString());
}

} // namespace merivox
