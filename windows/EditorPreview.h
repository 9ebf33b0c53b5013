#pragma once

#include "CreateCommand.h"
#include "FileSummary.h"
#include "PreviewWindow.h"
#include "ProbeRecord.h"
#include "RecordTemplate.h"

#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTime>

#include <optional>
#include <span>

class QWidget;

namespace merivox {
class FileWatch;
}

namespace merivox {

// What the preview shows for the editor's values as they stand: the Create command's own checks
// and builder run without their effects, and the record's lines are read back by the reader.
struct PreviewContent
{
    QStringList missing;        // what keeps "Erstellen" from writing; empty when it would write
    QStringList wrong;          // of those, the inputs that hold something the file cannot take
    QStringList lines;          // the record that it would append
    QList<RecordLine> readBack; // those lines as the reader reads them, for the drawing
    QStringList notes;          // plausibility notes
};
// file, where known, is what the editor's folder holds: a record it holds already is noted.
PreviewContent previewContent(const EditorPort &editor, const EditorState &state, const QLocale &locale,
                              const FileSummary *file = nullptr);

// Where the preview goes, as a frame rectangle: beside the editor (right, else left) within the
// screen's free area; where neither side has room, over the editor's left part, up to inputsLeft,
// where the editor's inputs begin, so that they and its buttons stay free.
QRect previewFrame(const QRect &editorFrame, int inputsLeft, const QRect &screen, int width, int minimumWidth);

// The entry of the list of templates that offers the input of an "Erstellen" that wrote nothing:
// "Letzte Eingabe, nicht geschrieben (14:05 Uhr)".
QString typedInputTitle(const QTime &time);

// Keeps a preview window beside the editor while the editor is open: shows it when the editor
// shows, places it beside the editor, refreshes it on every change of a watched input, hides it
// when the editor hides. The window is the editor's child, so it goes with it, and transient for
// it, so it stays above it. The operator may close it; it then stays closed until the operator
// brings it back with kShowKey, which also gives it the focus (Esc there gives it back).
//
// It follows usrprobe.dat in the editor's folder through a FileWatch (on a thread of its own)
// until "Erstellen" is pressed, and shows what the file holds and what is wrong with it. It offers
// the file's records of the editor's kind as templates; the editor fills its inputs from one.
// Where the last "Erstellen" of the kind wrote nothing, its input comes first in that list.
class EditorPreview final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorPreview)

public:
    // editor is the window, port its values for the Create command; its labels and inputs begin
    // inputsLeft pixels from its left edge. Owned by the editor.
    EditorPreview(QWidget &editor, const EditorPort &port, const EditorState &state, const QLocale &locale,
                  int inputsLeft);

    // Refreshes the preview on every change of these inputs: the text of line edits and editable
    // lists, the state of check boxes and option buttons. Other controls are passed over.
    void watch(std::span<QWidget *const> inputs);
    void refresh();
    // The editor's folder, whose usrprobe.dat the preview follows.
    void setFolder(const QString &folder);
    // "Erstellen" was pressed: the file is no longer followed, so that the record about to be
    // appended is never taken for a duplicate of itself.
    void stopFollowingFile();
    // Shows a preview that the operator closed, and gives it the focus.
    void bringBack();

    // Brings the preview back and into focus; no line edit or list of the editor uses it.
    static constexpr Qt::Key kShowKey = Qt::Key_F6;

    PreviewWindow *window() const { return m_window; }

signals:
    // The operator chose a template: the editor's inputs as it gives them, in the editor's locale.
    void templateChosen(const merivox::TemplateFill &fill);
    // The operator chose the input of the last "Erstellen" of this kind that wrote nothing.
    void typedInputChosen(const merivox::TypedInput &input);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void onSummary(const SharedSummary &summary);
    void onTemplateChosen(int index);
    void showTemplates();

    QWidget &m_editor;
    const EditorPort &m_port;
    const EditorState &m_state;
    QLocale m_locale;
    int m_inputsLeft;
    QPointer<PreviewWindow> m_window;
    bool m_editorShown = false; // refresh only while the editor is on screen and whole
    bool m_closedByOperator = false;
    bool m_opening = false; // just shown with the editor, which keeps the focus
    FileWatch *m_file = nullptr;
    QString m_folder;
    SharedSummary m_summary;
    std::optional<TypedInput> m_unwritten; // as the state held it when the editor opened
};

} // namespace merivox
