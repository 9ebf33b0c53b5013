#include "SelectionWindow.h"

#include "Accessibility.h"
#include "Controls.h"
#include "EditorWindow.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace merivox {

namespace {

// The client area and its place on the screen, in twips.
constexpr TwipRect kClientArea{4290, 3150, 5670, 5280};

constexpr QSize kButtonPictureSize{62, 65};

// A kind button with its caption label below it, each with its place in twips. The caption
// labels have no height of their own in the layout: one line of their text.
struct KindButton
{
    const char *button;
    TipKind kind;
    QStringView picture;
    TwipRect buttonPlace;
    const char *label;
    QStringView caption;
    TwipRect labelPlace;
    qreal points;
    Qt::Alignment alignment;
};

// In keyboard order; each row gives the button on its first line and its caption on the second.
// clang-format off
constexpr KindButton kKindButtons[] = {
    {"cmd_kug", TipKind::Ball, u"cmd_kug", {480, 720, 852, 975},
     "Label2", u"Tastkugel", {360, 1800, 1092, 375}, 12, Qt::AlignHCenter},
    {"cmd_zyl", TipKind::Cylinder, u"cmd_zyl", {2400, 720, 852, 975},
     "Label3", u"Zylinder", {2280, 1800, 1095, 375}, 12, Qt::AlignHCenter},
    {"cmd_sph", TipKind::HalfSphere, u"cmd_sph", {480, 2760, 852, 975},
     "Label4", u"Halbkugel", {360, 3840, 1092, 375}, 12, Qt::AlignHCenter},
    {"cmd_disk", TipKind::Disc, u"cmd_disk", {2400, 2760, 852, 975},
     "Label5", u"Scheibe", {2280, 3840, 1095, 375}, 12, Qt::AlignHCenter},
    {"cmd_wuerf", TipKind::Cube, u"cmd_wuerf", {4200, 720, 975, 975},
     "Label6", u"Würfel", {4200, 1800, 975, 375}, 11.25, Qt::AlignHCenter},
    {"cmd_ver", TipKind::Extension, u"cmd_ver", {4200, 2760, 975, 975},
     "Label7", u"Verlängerung", {4080, 3840, 1335, 375}, 11.25, Qt::AlignLeft},
};
// clang-format on

} // namespace

SelectionWindow::SelectionWindow(EditorState &state, const QLocale &locale)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_locale(locale)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Auswahlfenster"));
    setWindowIcon(programIcon());

    QLabel *question =
        addLabel(this, "Label1", QStringLiteral("Welche Art von Tastspitze oder Element wollen Sie erstellen?"),
                 arial(12, true), Qt::AlignHCenter);
    placeControl(question, {150, 0, 5535, 615});

    QWidget *first = nullptr;
    QWidget *previous = nullptr;
    for (const KindButton &entry : kKindButtons) {
        auto *button = addButton<PictureButton>(this, entry.button);
        button->setPicture(entry.picture.toString(), kButtonPictureSize);
        connect(button, &QPushButton::clicked, this, [this, kind = entry.kind] { openEditor(kind); });
        placeControl(button, entry.buttonPlace);
        QLabel *label = addLabel(this, entry.label, entry.caption.toString(), arial(entry.points), entry.alignment);
        placeControl(label, entry.labelPlace);
        nameByLabel(button, label); // a picture button is named by the caption below it
        if (previous) {
            setTabOrder(previous, button);
        } else {
            first = button;
        }
        previous = button;
    }

    QPushButton *close = addButton(this, "cmd_close");
    close->setText(QStringLiteral("Schließen"));
    close->setFont(arial(9, true));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    placeControl(close, {1680, 4560, 2172, 372});
    setTabOrder(previous, close);

    setGeometry(toPixels(kClientArea));
    setFixedSize(size());
    first->setFocus();
}

EditorWindow *SelectionWindow::editor() const
{
    return m_editor && m_editor->isVisible() ? m_editor.get() : nullptr;
}

void SelectionWindow::openEditor(TipKind kind)
{
    if (editor()) {
        return; // the open editor keeps its kind and its inputs
    }
    // A window of its own, not a child: it stays open when this window closes.
    m_editor = new EditorWindow(kind, m_state, m_locale);
    m_editor->show();
}

} // namespace merivox
