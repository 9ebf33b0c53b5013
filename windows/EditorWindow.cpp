#include "EditorWindow.h"

#include "Accessibility.h"
#include "Controls.h"
#include "DriveList.h"
#include "FolderList.h"
#include "Pictures.h"
#include "ScreenPlacement.h"
#include "Twips.h"
#include "WrappingCheckBox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <optional>

namespace merivox {

namespace {

// The client area, its place on the screen and every control, in twips. Input labels are sized
// to their text. A separator line is 2 pixels (30 twips) wide.
constexpr TwipRect kClientArea{"Form2", 1740, 1290, 11655, 9165};
constexpr TwipRect kLayout[] = {
    {"Label14", 1560, 120, 6735, 975},    {"Label7", 4440, 1800},
    {"txt_id", 6480, 1800, 2172, 288},    {"Label10", 4440, 2244},
    {"cb_gew", 6480, 2244, 2172, 315},    {"Label15", 4440, 2724},
    {"cb_gew2", 6480, 2724, 2172, 288},   {"Label2", 4440, 3204},
    {"txt_L1", 6480, 3204, 2172, 288},    {"Label5", 4440, 3684},
    {"txt_l2", 6480, 3684, 2172, 288},    {"Label3", 4440, 4164},
    {"txt_l3", 6480, 4164, 2172, 288},    {"Label11", 4440, 4680},
    {"txt_l4", 6480, 4680, 2172, 288},    {"Label6", 4440, 5124},
    {"txt_d1", 6480, 5124, 2172, 288},    {"Label4", 4440, 5604},
    {"txt_d2", 6480, 5604, 2172, 288},    {"Label1", 4440, 6084},
    {"txt_kd", 6480, 6084, 2172, 288},    {"Label8", 4440, 6564},
    {"txt_l", 6480, 6564, 2172, 288},     {"Label9", 4440, 7044},
    {"txt_b", 6480, 7044, 2172, 288},     {"image_kd", 0, 1920, 3315, 7080},
    {"Image_zyl", 0, 1440, 3915, 7590},   {"Image_HK", 0, 1440, 3900, 7635},
    {"Image_disk", 0, 1440, 3855, 6945},  {"Image_wuerf", 0, 3000, 3855, 3495},
    {"Image_verl", 0, 1440, 3765, 6885},  {"Label12", 9000, 120, 2535, 375},
    {"Check_zyl", 9240, 720, 1572, 492},  {"Check_SS", 9240, 1320, 2052, 252},
    {"Check_KFS", 9240, 1680, 2172, 252}, {"Check_ks", 9240, 2040, 2052, 252},
    {"Option_HK", 9240, 2400, 1932, 252}, {"Option_RK", 9240, 2760, 1932, 252},
    {"Option_kk", 9240, 3120, 1932, 252}, {"Label13", 9120, 3600, 2295, 375},
    {"Drive1", 9000, 4080, 852, 315},     {"Dir1", 9000, 4560, 2532, 2232},
    {"cmd_load", 9480, 7320, 1572, 372},  {"cmd_abr", 9480, 7800, 1572, 372},
    {"Line1", 8880, 0, 30, 9240},         {"Line2", 8880, 600, 2760, 30},
    {"Line3", 8880, 3480, 2760, 30},      {"Line4", 0, 1320, 8880, 30},
};

// The inputs with their labels, top to bottom.
struct Input
{
    const char *input;
    const char *label;
    QStringView caption;
    std::optional<DimensionField> field;
};
constexpr Input kInputs[] = {
    {"txt_id", "Label7", u"Benennung", {}},
    {"cb_gew", "Label10", u"Gewinde 1", {}},
    {"cb_gew2", "Label15", u"Gewinde 2", {}},
    {"txt_L1", "Label2", u"L1", DimensionField::L1},
    {"txt_l2", "Label5", u"L2", DimensionField::L2},
    {"txt_l3", "Label3", u"L3", DimensionField::L3},
    {"txt_l4", "Label11", u"L4", DimensionField::L4},
    {"txt_d1", "Label6", u"D1", DimensionField::D1},
    {"txt_d2", "Label4", u"D2", DimensionField::D2},
    {"txt_kd", "Label1", u"Kugeldurchmesser", DimensionField::BallDiameter},
    {"txt_l", "Label8", u"Länge", DimensionField::Length},
    {"txt_b", "Label9", u"Breite", DimensionField::Width},
};

// Per kind: its drawing, whether "ohne Halbkugel" is shown, and one letter per input of kInputs,
// E enabled or D disabled; each label takes the state of its input.
struct KindLayout
{
    TipKind kind;
    const char *drawing;
    bool withoutHalfSphereShown;
    const char *enabled;
};
constexpr KindLayout kKindLayouts[] = {
    {TipKind::Ball, "image_kd", false, "EEDEEEDEEEDD"},       {TipKind::Cylinder, "Image_zyl", true, "EEDEEEEEEEDD"},
    {TipKind::HalfSphere, "Image_HK", false, "EEDEEEDEEEDD"}, {TipKind::Disc, "Image_disk", false, "EEDEEEDEEDEE"},
    {TipKind::Cube, "Image_wuerf", false, "EEDEDDDDDDDD"},    {TipKind::Extension, "Image_verl", false, "EEEDDDDEDDED"},
};

// The dimension drawings; a bordered one has a thin sunken frame of 2 pixels around its picture.
struct Drawing
{
    const char *name;
    bool bordered;
};
constexpr Drawing kDrawings[] = {
    {"image_kd", true},   {"Image_zyl", true},    {"Image_HK", true},
    {"Image_disk", true}, {"Image_wuerf", false}, {"Image_verl", false},
};

constexpr QStringView kThreads[] = {u"M2",       u"M3",       u"M4",           u"M8",       u"KARVO1",
                                    u"VELKAN1",  u"VELKAN2",  u"KARVO1ANALOG", u"M2ANALOG", u"M3ANALOG",
                                    u"M4ANALOG", u"M5ANALOG", u"M8AANALOG",    u"M5"};

// The shaft boxes in the order in which a checked box unchecks the other two.
struct ShaftBox
{
    const char *name;
    QStringView caption;
    Rgb colour;
};
constexpr ShaftBox kShaftBoxes[] = {
    {"Check_KFS", u"Kohlefaserschaft", kCarbonFibreShaft},
    {"Check_ks", u"Keramikschaft", kCeramicShaft},
    {"Check_SS", u"Stahlschaft", kSteelShaft},
};

struct BallOption
{
    const char *name;
    QStringView caption;
    BallMaterial material;
};
constexpr BallOption kBallOptions[] = {
    {"Option_HK", u"Hartmetallkugel", BallMaterial::HardMetal},
    {"Option_RK", u"Rubinkugel", BallMaterial::Ruby},
    {"Option_kk", u"Keramikkugel", BallMaterial::Ceramic},
};

constexpr const char *kTabOrder[] = {
    "txt_id",    "cb_gew",    "txt_L1",   "txt_l2",    "txt_l3",   "txt_d1",  "txt_d2",    "txt_kd",
    "txt_l",     "txt_b",     "cmd_load", "Drive1",    "Dir1",     "txt_l4",  "Check_zyl", "Option_HK",
    "Option_RK", "Option_kk", "Check_SS", "Check_KFS", "Check_ks", "cb_gew2", "cmd_abr",
};

const QColor kBackground(192, 192, 192);
const QColor kGreyText(128, 128, 128);

QComboBox *addThreadList(QWidget *parent, const char *name)
{
    auto *list = named(new QComboBox(parent), name);
    list->setEditable(true);
    list->setCompleter(nullptr); // what the operator types stays as typed
    list->setInsertPolicy(QComboBox::NoInsert);
    for (const QStringView thread : kThreads) {
        list->addItem(thread.toString());
    }
    list->setCurrentIndex(-1);
    list->clearEditText();
    return list;
}

QPushButton *addCommandButton(QWidget *parent, const char *name, const QString &caption)
{
    QPushButton *button = addButton(parent, name);
    button->setText(caption);
    button->setFont(arial(9, true));
    return button;
}

QFrame *addLine(QWidget *parent, const char *name, QFrame::Shape shape)
{
    auto *line = named(new QFrame(parent), name);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(2);
    return line;
}

} // namespace

EditorWindow::EditorWindow(TipKind kind, EditorState &state, const QLocale &locale)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_locale(locale), m_messages(this)
{
    setObjectName(QString::fromLatin1(kClientArea.name));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Merivox"));
    setWindowIcon(programIcon());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        colours.setColor(QPalette::Disabled, role, kGreyText);
    }
    colours.setColor(QPalette::Disabled, QPalette::Base, kBackground);
    setPalette(colours);
    setAutoFillBackground(true);

    addLabel(this, "Label14",
             QStringLiteral("Hinweis: Sollten Sie eines der dargestellten Elemente an Ihrer Tastspitze nicht "
                            "vorfinden, setzen Sie den entsprechenden Wert bitte auf 0"),
             arial(12), Qt::AlignHCenter);
    createInputs();
    createDrawingsAndLines();
    createOptions();

    placeControls(this, kLayout);
    applyLayout(kind);
    for (const Drawing &drawing : kDrawings) {
        auto *picture = findChild<QLabel *>(QString::fromLatin1(drawing.name));
        if (!picture->isVisibleTo(this)) {
            continue; // only the kind's own drawing is drawn
        }
        const int border = drawing.bordered ? 2 : 0;
        picture->setPixmap(renderPicture(QString::fromLatin1(drawing.name),
                                         picture->size() - QSize(2 * border, 2 * border), devicePixelRatioF()));
    }
    for (int i = 1; i < int(std::size(kTabOrder)); ++i) {
        setTabOrder(findChild<QWidget *>(QString::fromLatin1(kTabOrder[i - 1])),
                    findChild<QWidget *>(QString::fromLatin1(kTabOrder[i])));
    }
    setGeometry(toPixels(kClientArea));
    setFixedSize(size());
    keepOnScreen(this);
    describeEditorWindow(this);

    // Both lists start at the working folder; the folder list, now at its size, scrolls to it.
    m_drives->selectVolumeOf(QDir::currentPath());
    m_folders->setPath(QDir::currentPath());
    m_name->setFocus();
}

void EditorWindow::createInputs()
{
    for (const Input &row : kInputs) {
        addLabel(this, row.label, row.caption.toString(), arial(10.5), Qt::AlignLeft, false); // sized to its text
        if (row.field) {
            m_dimensions[size_t(*row.field)] = named(new QLineEdit(this), row.input);
        }
    }
    m_name = named(new QLineEdit(this), "txt_id");
    m_thread = addThreadList(this, "cb_gew");
    m_thread2 = addThreadList(this, "cb_gew2");
}

void EditorWindow::createDrawingsAndLines()
{
    for (const Drawing &drawing : kDrawings) {
        auto *picture = named(new QLabel(this), drawing.name);
        picture->setAlignment(Qt::AlignCenter);
        if (drawing.bordered) {
            picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        }
        picture->hide();
    }
    addLine(this, "Line1", QFrame::VLine);
    addLine(this, "Line2", QFrame::HLine);
    addLine(this, "Line3", QFrame::HLine);
    addLine(this, "Line4", QFrame::HLine);
}

void EditorWindow::createOptions()
{
    addLabel(this, "Label12", QStringLiteral("Optionen"), arial(13.5), Qt::AlignHCenter);

    m_withoutHalfSphere = named(new WrappingCheckBox(QStringLiteral("ohne Halbkugel"), this), "Check_zyl");
    m_withoutHalfSphere->setFont(arial(10.5));
    m_withoutHalfSphere->hide();

    for (size_t i = 0; i < std::size(kShaftBoxes); ++i) {
        QCheckBox *box = named(new QCheckBox(kShaftBoxes[i].caption.toString(), this), kShaftBoxes[i].name);
        box->setFont(arial(10.5));
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { onShaftToggled(box, checked); });
        m_shaftBoxes[i] = box;
    }

    m_ballMaterials = new QButtonGroup(this);
    m_ballMaterials->setExclusive(true);
    for (const BallOption &option : kBallOptions) {
        auto *button = named(new QRadioButton(option.caption.toString(), this), option.name);
        button->setFont(arial(10.5));
        m_ballMaterials->addButton(button, int(option.material));
    }

    addLabel(this, "Label13", QStringLiteral("Datei erstellen in:"), arial(12), Qt::AlignHCenter);
    m_drives = named(new DriveList(this), "Drive1");
    m_folders = named(new FolderList(this), "Dir1");
    // Choosing another drive opens it (choosing the shown one again keeps the open folder); the
    // drive list follows the folder list onto another volume.
    connect(m_drives, &QComboBox::currentIndexChanged, this, &EditorWindow::onDriveChosen);
    connect(m_folders, &FolderList::pathChanged, m_drives, &DriveList::selectVolumeOf);

    QPushButton *create = addCommandButton(this, "cmd_load", QStringLiteral("Erstellen"));
    connect(create, &QPushButton::clicked, this, [this] { runCreateCommand(*this, m_state, m_messages, m_locale); });
    QPushButton *cancel = addCommandButton(this, "cmd_abr", QStringLiteral("Abbrechen"));
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

void EditorWindow::applyLayout(TipKind kind)
{
    const auto *layout = std::find_if(std::begin(kKindLayouts), std::end(kKindLayouts),
                                      [kind](const KindLayout &entry) { return entry.kind == kind; });
    Q_ASSERT(layout != std::end(kKindLayouts));
    for (size_t i = 0; i < std::size(kInputs); ++i) {
        const bool enabled = layout->enabled[i] == 'E';
        findChild<QWidget *>(QString::fromLatin1(kInputs[i].input))->setEnabled(enabled);
        findChild<QWidget *>(QString::fromLatin1(kInputs[i].label))->setEnabled(enabled);
    }
    findChild<QWidget *>(QString::fromLatin1(layout->drawing))->show();
    m_withoutHalfSphere->setVisible(layout->withoutHalfSphereShown);
    m_state.tip_type = QString::number(int(kind));
}

void EditorWindow::onShaftToggled(QCheckBox *box, bool checked)
{
    if (!checked) {
        return; // shaft_rgb keeps the colour of the box checked last
    }
    for (size_t i = 0; i < std::size(kShaftBoxes); ++i) {
        if (m_shaftBoxes[i] == box) {
            m_state.shaft_rgb = kShaftBoxes[i].colour;
        }
    }
    for (QCheckBox *other : m_shaftBoxes) {
        if (other != box) {
            other->setChecked(false);
        }
    }
}

void EditorWindow::onDriveChosen(int index)
{
    // A volume that cannot be read leaves the folder list as it was, without a message.
    m_folders->setPath(m_drives->folderAt(index));
}

QString EditorWindow::nameText() const
{
    return m_name->text();
}

QString EditorWindow::threadText() const
{
    return m_thread->currentText();
}

QString EditorWindow::thread2Text() const
{
    return m_thread2->currentText();
}

QString EditorWindow::dimensionText(DimensionField field) const
{
    return m_dimensions[size_t(field)]->text();
}

bool EditorWindow::isDimensionEnabled(DimensionField field) const
{
    return m_dimensions[size_t(field)]->isEnabled();
}

void EditorWindow::clearDimension(DimensionField field)
{
    m_dimensions[size_t(field)]->clear();
}

bool EditorWindow::isBallMaterialSelected(BallMaterial material) const
{
    return m_ballMaterials->button(int(material))->isChecked();
}

bool EditorWindow::isWithoutHalfSphere() const
{
    return m_withoutHalfSphere->isChecked();
}

QString EditorWindow::folder() const
{
    return m_folders->path();
}

void EditorWindow::closeEditor()
{
    close();
}

} // namespace merivox
