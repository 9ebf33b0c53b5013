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
    QString description;
    switch (kind) {
    case TipKind::Ball:
        description = QStringLiteral(
            "Tastkugel in Seitenansicht, oben das Gewinde: Schaftdurchmesser D1 oben und D2; L1 bis zum Ende des "
            "oberen "
            "Zylinders, L2 bis zum Ende des Kegels, L3 von der Gewindeauflage bis zur Kugelmitte; Kugeldurchmesser");
        break;
    case TipKind::Cylinder:
        description = QStringLiteral(
            "Zylinder in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 bis zum Beginn des Stifts, "
            "L4 von der Gewindeauflage bis zum abgerundeten Ende des Stifts; Kugeldurchmesser");
        break;
    case TipKind::HalfSphere:
        description = QStringLiteral("Halbkugel in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 "
                                     "von der Gewindeauflage bis zur Halbkugel; Kugeldurchmesser");
        break;
    case TipKind::Disc:
        description = QStringLiteral("Scheibe in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 "
                                     "von der Gewindeauflage bis zur Scheibe; Länge und Breite der Scheibe");
        break;
    case TipKind::Cube:
        description =
            QStringLiteral("Würfel in Seitenansicht, oben das Gewinde, darunter der Würfel: L1 ist seine Kantenlänge");
        break;
    case TipKind::Extension:
        description = QStringLiteral(
            "Verlängerung in Seitenansicht: oben Gewinde 1, unten Gewinde 2, Durchmesser D1, die Länge an der Seite "
            "entlang");
        break;
    }
    picture->setAccessibleName(QStringLiteral("Maßzeichnung"));
    picture->setAccessibleDescription(description);
}

} // namespace merivox
