#include "Accessibility.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringView>
#include <QWidget>

namespace merivox {

namespace {

// A control and what names it: a label (linked as its buddy, its caption the name) or, where
// no label stands beside it, a name of its own.
struct Naming
{
    const char *control;
    const char *label;
    QStringView name;
};

constexpr Naming kSelectionNames[] = {
    {"cmd_kug", "Label2", {}}, {"cmd_zyl", "Label3", {}},  {"cmd_wuerf", "Label6", {}},
    {"cmd_sph", "Label4", {}}, {"cmd_disk", "Label5", {}}, {"cmd_ver", "Label7", {}},
};

constexpr Naming kEditorNames[] = {
    {"txt_id", "Label7", {}},         {"cb_gew", "Label10", {}},
    {"cb_gew2", "Label15", {}},       {"txt_L1", "Label2", {}},
    {"txt_l2", "Label5", {}},         {"txt_l3", "Label3", {}},
    {"txt_l4", "Label11", {}},        {"txt_d1", "Label6", {}},
    {"txt_d2", "Label4", {}},         {"txt_kd", "Label1", {}},
    {"txt_l", "Label8", {}},          {"txt_b", "Label9", {}},
    {"Drive1", nullptr, u"Laufwerk"}, {"Dir1", nullptr, u"Ordner für usrprobe.dat"},
};

struct Drawing
{
    const char *name;
    QStringView description;
};

constexpr Drawing kDrawings[] = {
    {"image_kd", u"Tastkugel in Seitenansicht, oben das Gewinde: Schaftdurchmesser D1 oben und D2; L1 bis zum Ende "
                 u"des oberen Zylinders, L2 bis zum Ende des Kegels, L3 von der Gewindeauflage bis zur Kugelmitte; "
                 u"Kugeldurchmesser"},
    {"Image_zyl", u"Zylinder in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 bis zum Beginn "
                  u"des Stifts, L4 von der Gewindeauflage bis zum abgerundeten Ende des Stifts; Kugeldurchmesser"},
    {"Image_HK", u"Halbkugel in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 von der "
                 u"Gewindeauflage bis zur Halbkugel; Kugeldurchmesser"},
    {"Image_disk", u"Scheibe in Seitenansicht, oben das Gewinde: Durchmesser D1 und D2; L1, L2; L3 von der "
                   u"Gewindeauflage bis zur Scheibe; Länge und Breite der Scheibe"},
    {"Image_wuerf", u"Würfel in Seitenansicht, oben das Gewinde, darunter der Würfel: L1 ist seine Kantenlänge"},
    {"Image_verl", u"Verlängerung in Seitenansicht: oben Gewinde 1, unten Gewinde 2, Durchmesser D1, die Länge an "
                   u"der Seite entlang"},
};

template <typename Widget = QWidget> Widget *child(QWidget *window, const char *name)
{
    return window->findChild<Widget *>(QString::fromLatin1(name));
}

void applyNames(QWidget *window, const Naming *begin, const Naming *end)
{
    for (const Naming *entry = begin; entry != end; ++entry) {
        QWidget *control = child(window, entry->control);
        QString name = entry->name.toString();
        if (entry->label) {
            auto *label = child<QLabel>(window, entry->label);
            label->setBuddy(control);
            name = label->text();
        }
        control->setAccessibleName(name);
        // A drop-down list is read through its parts: the text field and the open list.
        if (auto *list = qobject_cast<QComboBox *>(control)) {
            if (list->lineEdit()) {
                list->lineEdit()->setAccessibleName(name);
            }
            list->view()->setAccessibleName(name);
        }
    }
}

} // namespace

void describeSelectionWindow(QWidget *window)
{
    applyNames(window, std::begin(kSelectionNames), std::end(kSelectionNames));
}

void describeEditorWindow(QWidget *window)
{
    applyNames(window, std::begin(kEditorNames), std::end(kEditorNames));
    for (const Drawing &drawing : kDrawings) {
        QWidget *picture = child(window, drawing.name);
        picture->setAccessibleName(QStringLiteral("Maßzeichnung"));
        picture->setAccessibleDescription(drawing.description.toString());
    }
}

} // namespace merivox
