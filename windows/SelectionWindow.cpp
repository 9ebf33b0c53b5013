#include "SelectionWindow.h"

#include "Accessibility.h"
#include "Controls.h"
#include "EditorWindow.h"
#include "PictureButton.h"
#include "Pictures.h"
#include "ScreenPlacement.h"
#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace merivox {

namespace {

// The client area, its place on the screen and every control, in twips. The caption labels
// below the buttons have no height of their own in the layout: one line of their text.
constexpr TwipRect kClientArea{"Form1", 4290, 3150, 5670, 5280};
constexpr TwipRect kLayout[] = {
    {"Label1", 150, 0, 5535, 615},      {"cmd_kug", 480, 720, 852, 975},      {"Label2", 360, 1800, 1092, 375},
    {"cmd_zyl", 2400, 720, 852, 975},   {"Label3", 2280, 1800, 1095, 375},    {"cmd_wuerf", 4200, 720, 975, 975},
    {"Label6", 4200, 1800, 975, 375},   {"cmd_sph", 480, 2760, 852, 975},     {"Label4", 360, 3840, 1092, 375},
    {"cmd_disk", 2400, 2760, 852, 975}, {"Label5", 2280, 3840, 1095, 375},    {"cmd_ver", 4200, 2760, 975, 975},
    {"Label7", 4080, 3840, 1335, 375},  {"cmd_close", 1680, 4560, 2172, 372},
};

constexpr QSize kButtonPictureSize{62, 65};

struct KindButton
{
    const char *button;
    TipKind kind;
    QStringView picture;
    const char *label;
    QStringView caption;
    qreal points;
    Qt::Alignment alignment;
};

// In keyboard order.
constexpr KindButton kKindButtons[] = {
    {"cmd_kug", TipKind::Ball, u"cmd_kug", "Label2", u"Tastkugel", 12, Qt::AlignHCenter},
    {"cmd_zyl", TipKind::Cylinder, u"cmd_zyl", "Label3", u"Zylinder", 12, Qt::AlignHCenter},
    {"cmd_sph", TipKind::HalfSphere, u"cmd_sph", "Label4", u"Halbkugel", 12, Qt::AlignHCenter},
    {"cmd_disk", TipKind::Disc, u"cmd_disk", "Label5", u"Scheibe", 12, Qt::AlignHCenter},
    {"cmd_wuerf", TipKind::Cube, u"cmd_wuerf", "Label6", u"Würfel", 11.25, Qt::AlignHCenter},
    {"cmd_ver", TipKind::Extension, u"cmd_ver", "Label7", u"Verlängerung", 11.25, Qt::AlignLeft},
};

} // namespace

SelectionWindow::SelectionWindow(EditorState &state, const QLocale &locale)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_locale(locale)
{
    setObjectName(QString::fromLatin1(kClientArea.name));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Auswahlfenster"));
    setWindowIcon(programIcon());

    addLabel(this, "Label1", QStringLiteral("Welche Art von Tastspitze oder Element wollen Sie erstellen?"),
             arial(12, true), Qt::AlignHCenter);

    QWidget *previous = nullptr;
    for (const KindButton &entry : kKindButtons) {
        auto *button = addButton<PictureButton>(this, entry.button);
        button->setIcon(QIcon(renderPicture(entry.picture, kButtonPictureSize, devicePixelRatioF())));
        button->setIconSize(kButtonPictureSize);
        connect(button, &QPushButton::clicked, this, [this, kind = entry.kind] { openEditor(kind); });
        addLabel(this, entry.label, entry.caption.toString(), arial(entry.points), entry.alignment);
        if (previous) {
            setTabOrder(previous, button);
        }
        previous = button;
    }

    QPushButton *close = addButton(this, "cmd_close");
    close->setText(QStringLiteral("Schließen"));
    close->setFont(arial(9, true));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    setTabOrder(previous, close);

    placeControls(this, kLayout);
    setGeometry(toPixels(kClientArea));
    setFixedSize(size());
    keepOnScreen(this);
    describeSelectionWindow(this);
    findChild<QWidget *>(QStringLiteral("cmd_kug"))->setFocus();
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
