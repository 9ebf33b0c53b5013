#include "EditorWindow.h"

#include "Accessibility.h"
#include "Controls.h"
#include "DriveList.h"
#include "EditorPreview.h"
#include "FolderList.h"
#include "PictureLabel.h"
#include "Pictures.h"
#include "Twips.h"
#include "WrappingCheckBox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <algorithm>
#include <optional>

namespace merivox {

namespace {

// The client area and its place on the screen, in twips. A separator line is 2 pixels (30 twips)
// wide.
constexpr TwipRect kClientArea{1740, 1290, 11655, 9165};

// The inputs with their labels, top to bottom. Labels stand at left 4440, sized to their text;
// inputs at left 6480, 2172 twips wide.
constexpr int kLabelLeft = 4440;
constexpr int kInputLeft = 6480;
constexpr int kInputWidth = 2172;
enum class Holds { Name, Thread, SecondThread, Dimension };
struct Input
{
    const char *input;
    const char *label;
    QStringView caption;
    int top;
    int height;
    Holds holds;
    DimensionField field = DimensionField::L1; // of a dimension
};
constexpr Input kInputs[] = {
    {"txt_id", "Label7", u"Benennung", 1800, 288, Holds::Name},
    {"cb_gew", "Label10", u"Gewinde 1", 2244, 315, Holds::Thread},
    {"cb_gew2", "Label15", u"Gewinde 2", 2724, 288, Holds::SecondThread},
    {"txt_L1", "Label2", u"L1", 3204, 288, Holds::Dimension, DimensionField::L1},
    {"txt_l2", "Label5", u"L2", 3684, 288, Holds::Dimension, DimensionField::L2},
    {"txt_l3", "Label3", u"L3", 4164, 288, Holds::Dimension, DimensionField::L3},
    {"txt_l4", "Label11", u"L4", 4680, 288, Holds::Dimension, DimensionField::L4},
    {"txt_d1", "Label6", u"D1", 5124, 288, Holds::Dimension, DimensionField::D1},
    {"txt_d2", "Label4", u"D2", 5604, 288, Holds::Dimension, DimensionField::D2},
    {"txt_kd", "Label1", u"Kugeldurchmesser", 6084, 288, Holds::Dimension, DimensionField::BallDiameter},
    {"txt_l", "Label8", u"Länge", 6564, 288, Holds::Dimension, DimensionField::Length},
    {"txt_b", "Label9", u"Breite", 7044, 288, Holds::Dimension, DimensionField::Width},
};

// Whether a kind uses an input: the name and the first thread serve every kind.
bool isUsed(const Input &row, const TipKindDescription &kind)
{
    switch (row.holds) {
    case Holds::SecondThread:
        return kind.secondThread;
    case Holds::Dimension:
        return kind.dimensions.contains(row.field);
    case Holds::Name:
    case Holds::Thread:
        break;
    }
    return true;
}

// The dimension drawing of each kind, in twips; a bordered one has a thin sunken frame of
// 2 pixels around its picture.
struct Drawing
{
    TipKind kind;
    const char *name;
    TwipRect place;
    bool bordered;
};
constexpr Drawing kDrawings[] = {
    {TipKind::Ball, "image_kd", {0, 1920, 3315, 7080}, true},
    {TipKind::Cylinder, "Image_zyl", {0, 1440, 3915, 7590}, true},
    {TipKind::HalfSphere, "Image_HK", {0, 1440, 3900, 7635}, true},
    {TipKind::Disc, "Image_disk", {0, 1440, 3855, 6945}, true},
    {TipKind::Cube, "Image_wuerf", {0, 3000, 3855, 3495}, false},
    {TipKind::Extension, "Image_verl", {0, 1440, 3765, 6885}, false},
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
    TwipRect place;
};
constexpr ShaftBox kShaftBoxes[] = {
    {"Check_KFS", u"Kohlefaserschaft", kCarbonFibreShaft, {9240, 1680, 2172, 252}},
    {"Check_ks", u"Keramikschaft", kCeramicShaft, {9240, 2040, 2052, 252}},
    {"Check_SS", u"Stahlschaft", kSteelShaft, {9240, 1320, 2052, 252}},
};

// A template's shaft material names its box by this order.
static_assert(kShaftBoxes[int(ShaftMaterial::CarbonFibre)].colour == kCarbonFibreShaft);
static_assert(kShaftBoxes[int(ShaftMaterial::Ceramic)].colour == kCeramicShaft);
static_assert(kShaftBoxes[int(ShaftMaterial::Steel)].colour == kSteelShaft);

struct BallOption
{
    const char *name;
    QStringView caption;
    BallMaterial material;
    TwipRect place;
};
constexpr BallOption kBallOptions[] = {
    {"Option_HK", u"Hartmetallkugel", BallMaterial::HardMetal, {9240, 2400, 1932, 252}},
    {"Option_RK", u"Rubinkugel", BallMaterial::Ruby, {9240, 2760, 1932, 252}},
    {"Option_kk", u"Keramikkugel", BallMaterial::Ceramic, {9240, 3120, 1932, 252}},
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
      m_state(state), m_kind(kind), m_locale(locale), m_messages(this)
{
    setObjectName(QStringLiteral("Form2"));
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

    QLabel *hint =
        addLabel(this, "Label14",
                 QStringLiteral("Hinweis: Sollten Sie eines der dargestellten Elemente an Ihrer "
                                "Tastspitze nicht vorfinden, setzen Sie den entsprechenden Wert bitte auf 0"),
                 arial(12), Qt::AlignHCenter);
    placeControl(hint, {1560, 120, 6735, 975});
    createInputs();
    createDrawingsAndLines();
    createOptions();

    applyLayout(kind);
    for (const Drawing &drawing : kDrawings) {
        if (drawing.kind == kind) {
            // Only the kind's own drawing is drawn, within its frame.
            m_drawings.at(drawing.kind)->showPicture(QString::fromLatin1(drawing.name));
        }
    }
    const auto dimension = [this](DimensionField field) {
        return m_dimensions[size_t(field)];
    };
    const auto ballOption = [this](BallMaterial material) {
        return m_ballMaterials->button(int(material));
    };
    using F = DimensionField;
    // The keyboard order.
    QWidget *const tabOrder[] = {
        m_name,
        m_thread,
        dimension(F::L1),
        dimension(F::L2),
        dimension(F::L3),
        dimension(F::D1),
        dimension(F::D2),
        dimension(F::BallDiameter),
        dimension(F::Length),
        dimension(F::Width),
        m_create,
        m_drives,
        m_folders,
        dimension(F::L4),
        m_withoutHalfSphere,
        ballOption(BallMaterial::HardMetal),
        ballOption(BallMaterial::Ruby),
        ballOption(BallMaterial::Ceramic),
        m_shaftBoxes[2], // Check_SS
        m_shaftBoxes[0], // Check_KFS
        m_shaftBoxes[1], // Check_ks
        m_thread2,
        m_cancel,
    };
    for (size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    setGeometry(toPixels(kClientArea));
    setFixedSize(size());

    // Both lists start at the working folder; the folder list, now at its size, scrolls to it.
    m_drives->selectVolumeOf(QDir::currentPath());
    m_folders->setPath(QDir::currentPath());
    m_name->setFocus();

    // The preview beside the editor follows every input of the keyboard order; it may cover the
    // drawing, never the labels and inputs.
    m_preview = new EditorPreview(*this, *this, m_state, m_locale, twipsToPixels(kLabelLeft));
    m_preview->watch(tabOrder);
    m_preview->setFolder(m_folders->path());
    connect(m_folders, &FolderList::pathChanged, m_preview, &EditorPreview::setFolder);
    connect(m_preview, &EditorPreview::templateChosen, this, &EditorWindow::fillFrom);
    connect(m_preview, &EditorPreview::typedInputChosen, this, &EditorWindow::restoreInput);
    setAccessibleDescription(QStringLiteral("F6 zeigt die Vorschau wieder und gibt ihr den Fokus; Esc gibt ihn "
                                            "dem Editor zurück."));
}

void EditorWindow::createInputs()
{
    static_assert(std::size(kInputs) == std::tuple_size_v<decltype(m_inputRows)>);
    for (size_t i = 0; i < std::size(kInputs); ++i) {
        const Input &row = kInputs[i];
        QWidget *input = nullptr;
        switch (row.holds) {
        case Holds::Name:
            input = m_name = named(new QLineEdit(this), row.input);
            break;
        case Holds::Thread:
            input = m_thread = addThreadList(this, row.input);
            break;
        case Holds::SecondThread:
            input = m_thread2 = addThreadList(this, row.input);
            break;
        case Holds::Dimension:
            input = m_dimensions[size_t(row.field)] = named(new QLineEdit(this), row.input);
            break;
        }
        QLabel *label = addLabel(this, row.label, row.caption.toString(), arial(10.5), Qt::AlignLeft, false);
        placeControl(label, {kLabelLeft, row.top}); // sized to its text
        placeControl(input, {kInputLeft, row.top, kInputWidth, row.height});
        nameByLabel(input, label);
        m_inputRows[i] = {input, label};
    }
}

void EditorWindow::createDrawingsAndLines()
{
    for (const Drawing &drawing : kDrawings) {
        auto *picture = named(new PictureLabel(this), drawing.name);
        picture->setAlignment(Qt::AlignCenter);
        if (drawing.bordered) {
            picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        }
        picture->hide();
        placeControl(picture, drawing.place);
        describeDrawing(picture, drawing.kind);
        m_drawings[drawing.kind] = picture;
    }
    placeControls({
        {addLine(this, "Line1", QFrame::VLine), {8880, 0, 30, 9240}},
        {addLine(this, "Line2", QFrame::HLine), {8880, 600, 2760, 30}},
        {addLine(this, "Line3", QFrame::HLine), {8880, 3480, 2760, 30}},
        {addLine(this, "Line4", QFrame::HLine), {0, 1320, 8880, 30}},
    });
}

void EditorWindow::createOptions()
{
    QLabel *options = addLabel(this, "Label12", QStringLiteral("Optionen"), arial(13.5), Qt::AlignHCenter);

    m_withoutHalfSphere = named(new WrappingCheckBox(QStringLiteral("ohne Halbkugel"), this), "Check_zyl");
    m_withoutHalfSphere->setFont(arial(10.5));
    m_withoutHalfSphere->hide();

    for (size_t i = 0; i < std::size(kShaftBoxes); ++i) {
        QCheckBox *box = named(new QCheckBox(kShaftBoxes[i].caption.toString(), this), kShaftBoxes[i].name);
        box->setFont(arial(10.5));
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { onShaftToggled(box, checked); });
        placeControl(box, kShaftBoxes[i].place);
        m_shaftBoxes[i] = box;
    }

    m_ballMaterials = new QButtonGroup(this);
    m_ballMaterials->setExclusive(true);
    for (const BallOption &option : kBallOptions) {
        auto *button = named(new QRadioButton(option.caption.toString(), this), option.name);
        button->setFont(arial(10.5));
        placeControl(button, option.place);
        m_ballMaterials->addButton(button, int(option.material));
    }

    QLabel *target = addLabel(this, "Label13", QStringLiteral("Datei erstellen in:"), arial(12), Qt::AlignHCenter);
    m_drives = named(new DriveList(this), "Drive1");
    m_folders = named(new FolderList(this), "Dir1");
    nameControl(m_drives, QStringLiteral("Laufwerk"));
    nameControl(m_folders, QStringLiteral("Ordner für usrprobe.dat"));
    // Choosing another drive opens it (choosing the shown one again keeps the open folder); the
    // drive list follows the folder list onto another volume.
    connect(m_drives, &QComboBox::currentIndexChanged, this, &EditorWindow::onDriveChosen);
    connect(m_folders, &FolderList::pathChanged, m_drives, &DriveList::selectVolumeOf);

    m_create = addCommandButton(this, "cmd_load", QStringLiteral("Erstellen"));
    connect(m_create, &QPushButton::clicked, this, [this] {
        // From here on the preview no longer follows the file, which is about to change.
        m_preview->stopFollowingFile();
        // What was typed, before a failed check empties a field: offered again at the next opening
        // of this kind when nothing is written.
        TypedInput typed = typedInput();
        typed.time = QTime::currentTime();
        if (runCreateCommand(*this, m_state, m_messages, m_entries, m_locale)) {
            m_state.unwritten.erase(m_kind);
        } else {
            m_state.unwritten.insert_or_assign(m_kind, std::move(typed));
        }
    });
    m_cancel = addCommandButton(this, "cmd_abr", QStringLiteral("Abbrechen"));
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);

    // The rest of the options column in twips; the shaft boxes and ball options are placed from
    // their tables.
    placeControls({
        {options, {9000, 120, 2535, 375}},             // Label12
        {m_withoutHalfSphere, {9240, 720, 1572, 492}}, // Check_zyl
        {target, {9120, 3600, 2295, 375}},             // Label13
        {m_drives, {9000, 4080, 852, 315}},            // Drive1
        {m_folders, {9000, 4560, 2532, 2232}},         // Dir1
        {m_create, {9480, 7320, 1572, 372}},           // cmd_load
        {m_cancel, {9480, 7800, 1572, 372}},           // cmd_abr
    });
}

void EditorWindow::applyLayout(TipKind kind)
{
    const TipKindDescription *description = findTipKind(kind);
    Q_ASSERT(description);
    // Each label takes the state of its input.
    for (size_t i = 0; i < std::size(kInputs); ++i) {
        const bool enabled = isUsed(kInputs[i], *description);
        m_inputRows[i].input->setEnabled(enabled);
        m_inputRows[i].label->setEnabled(enabled);
    }
    m_drawings.at(kind)->show();
    m_withoutHalfSphere->setVisible(description->withoutHalfSphere);
    m_state.tip_type = kind;
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

void EditorWindow::fillFrom(const TemplateFill &fill)
{
    // A name already typed stays: a template is the start of a variant with a name of its own.
    fillInputs(fill, false);
}

void EditorWindow::restoreInput(const TypedInput &input)
{
    TemplateFill whole;
    whole.name = input.name;
    whole.thread = input.thread;
    whole.thread2 = input.thread2;
    whole.dimensions = input.dimensions;
    whole.withoutHalfSphere = input.withoutHalfSphere;
    whole.shaft = input.shaft;
    whole.ball = input.ball;
    fillInputs(whole, true);
}

void EditorWindow::fillInputs(const TemplateFill &fill, bool exactly)
{
    if (exactly || m_name->text().isEmpty()) {
        m_name->setText(fill.name);
    }
    m_thread->setEditText(fill.thread);
    if (m_thread2->isEnabled()) {
        m_thread2->setEditText(fill.thread2);
    }
    for (const DimensionField field : kDimensionFields) {
        QLineEdit *input = m_dimensions[size_t(field)];
        if (input->isEnabled()) {
            input->setText(fill.dimensions[size_t(field)]);
        }
    }
    if (!m_withoutHalfSphere->isHidden()) {
        m_withoutHalfSphere->setChecked(fill.withoutHalfSphere);
    }
    // Through the boxes' own handling, as a click would: shaft_rgb follows the box.
    if (fill.shaft) {
        m_shaftBoxes[size_t(*fill.shaft)]->setChecked(true);
    } else if (exactly) {
        for (QCheckBox *box : m_shaftBoxes) {
            box->setChecked(false); // shaft_rgb keeps its colour, as when the operator unticks a box
        }
    }
    if (fill.ball) {
        m_ballMaterials->button(int(*fill.ball))->setChecked(true);
    } else if (exactly && m_ballMaterials->checkedButton()) {
        // No option was selected: the group lets go of its one selected button only while it is
        // not exclusive.
        m_ballMaterials->setExclusive(false);
        m_ballMaterials->checkedButton()->setChecked(false);
        m_ballMaterials->setExclusive(true);
    }
}

TypedInput EditorWindow::typedInput() const
{
    TypedInput typed;
    typed.name = m_name->text();
    typed.thread = m_thread->currentText();
    typed.thread2 = m_thread2->currentText();
    for (const DimensionField field : kDimensionFields) {
        typed.dimensions[size_t(field)] = m_dimensions[size_t(field)]->text();
    }
    typed.withoutHalfSphere = m_withoutHalfSphere->isChecked();
    for (size_t i = 0; i < m_shaftBoxes.size(); ++i) {
        if (m_shaftBoxes[i]->isChecked()) {
            typed.shaft = ShaftMaterial(i);
        }
    }
    if (m_ballMaterials->checkedId() >= 0) {
        typed.ball = BallMaterial(m_ballMaterials->checkedId());
    }
    return typed;
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
