#pragma once

#include "CreateCommand.h"

#include <QLocale>
#include <QPointer>
#include <QWidget>

namespace merivox {

class EditorWindow;
struct EditorState;

// The selection window (Form1): one picture button per kind of component. A kind button opens
// the editor laid out for its kind; while that editor is open, the kind buttons change nothing.
class SelectionWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SelectionWindow)

public:
    // state outlives this window and every editor; locale reads and writes the numbers.
    SelectionWindow(EditorState &state, const QLocale &locale);

    // The open editor, or null.
    EditorWindow *editor() const;

private:
    void openEditor(TipKind kind);

    EditorState &m_state;
    QLocale m_locale;
    QPointer<EditorWindow> m_editor;
};

} // namespace merivox
