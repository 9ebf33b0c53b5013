#pragma once

#include "CreateCommand.h"
#include "MessageBoxSink.h"
#include "ProbeFileEntries.h"
#include "RecordTemplate.h"

#include <QLocale>
#include <QWidget>
#include <array>
#include <map>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace merivox {

class DriveList;
class EditorPreview;
class FolderList;
class PictureLabel;

// The editor window (Form2): name, threads and dimensions of one component, the shaft and ball
// materials, and the folder for usrprobe.dat. It is laid out for one kind when it opens;
// "Erstellen" hands it to the Create command, which always ends by closing it.
// Each opening starts empty; tip_type, shaft_rgb and ball_rgb live on in the shared EditorState.
class EditorWindow final : public QWidget, public EditorPort
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorWindow)

public:
    // state outlives this window; locale reads and writes the numbers.
    EditorWindow(TipKind kind, EditorState &state, const QLocale &locale);

    // What the Create command reads and does.
    QString nameText() const override;
    QString threadText() const override;
    QString thread2Text() const override;
    QString dimensionText(DimensionField field) const override;
    bool isDimensionEnabled(DimensionField field) const override;
    void clearDimension(DimensionField field) override;
    bool isBallMaterialSelected(BallMaterial material) const override;
    bool isWithoutHalfSphere() const override;
    QString folder() const override;
    void closeEditor() override;

private:
    void createInputs();
    void createOptions();
    void createDrawingsAndLines();
    void applyLayout(TipKind kind);
    void onShaftToggled(QCheckBox *box, bool checked);
    void onDriveChosen(int index);
    void fillFrom(const TemplateFill &fill);
    // The inputs as they stand, and putting them back exactly, the name included.
    TypedInput typedInput() const;
    void restoreInput(const TypedInput &input);
    void fillInputs(const TemplateFill &fill, bool exactly);

    EditorState &m_state;
    TipKind m_kind;
    QLocale m_locale;
    MessageBoxSink m_messages;
    ProbeFileEntries m_entries;

    // One input with its label, top to bottom.
    struct InputRow
    {
        QWidget *input = nullptr;
        QLabel *label = nullptr;
    };

    QLineEdit *m_name = nullptr;
    QComboBox *m_thread = nullptr;
    QComboBox *m_thread2 = nullptr;
    std::array<QLineEdit *, std::size(kDimensionFields)> m_dimensions{};
    std::array<InputRow, 12> m_inputRows{};
    std::map<TipKind, PictureLabel *> m_drawings;
    QCheckBox *m_withoutHalfSphere = nullptr;
    std::array<QCheckBox *, 3> m_shaftBoxes{};
    QButtonGroup *m_ballMaterials = nullptr;
    DriveList *m_drives = nullptr;
    FolderList *m_folders = nullptr;
    QPushButton *m_create = nullptr;
    QPushButton *m_cancel = nullptr;
    EditorPreview *m_preview = nullptr;
};

} // namespace merivox
