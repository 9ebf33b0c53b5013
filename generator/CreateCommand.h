#pragma once

// How a probe component travels from the editor to the file:
//
//   editor window --(EditorPort, EditorState)--> runCreateCommand
//       checks name, threads and every enabled dimension, one error message each (MessageSink)
//   --> TipInputs --> buildRecord (one pure builder per kind, Builders.h) --> TipRecord
//   --> ProbeFileWriter::append (encode, lock, append the whole record, flush, roll back on failure)
//   --> usrprobe.dat; then one success message, and the editor is asked to close.
//
// Nothing here touches a widget: the editor window implements EditorPort and MessageSink.

#include "TipInputs.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace merivox {

// The ball material option buttons, in the order in which they are tested.
enum class BallMaterial { HardMetal, Ruby, Ceramic };

// The values that belong to the editor but outlive its window: each opening starts with
// empty inputs, while these keep what the last opening left in them.
struct EditorState
{
    std::optional<TipKind> tip_type; // none until the editor first opens
    Rgb shaft_rgb = kSteelShaft;
    Rgb ball_rgb = kRubyBall;
};

// The editor as the Create command sees it.
class EditorPort
{
public:
    virtual ~EditorPort() = default;
    virtual QString nameText() const = 0;
    virtual QString threadText() const = 0;
    virtual QString thread2Text() const = 0;
    virtual QString dimensionText(DimensionField field) const = 0;
    virtual bool isDimensionEnabled(DimensionField field) const = 0;
    virtual void clearDimension(DimensionField field) = 0;
    virtual bool isBallMaterialSelected(BallMaterial material) const = 0;
    virtual bool isWithoutHalfSphere() const = 0; // Check_zyl
    virtual QString folder() const = 0;
    virtual void closeEditor() = 0;
};

// Where the Create command's messages go. Each call is modal: it returns once the operator
// has confirmed the message.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showError(const QString &text) = 0;
    virtual void showSuccess(const QString &text) = 0;
};

// What the "Erstellen" button does: sets the ball colour, checks the inputs, appends one
// record to usrprobe.dat in the editor's folder when every check passed, reports each
// outcome, and always ends by asking the editor to close.
void runCreateCommand(EditorPort &editor, EditorState &state, MessageSink &messages, const QLocale &locale);

// The message shown when a dimension field does not hold a number.
QString notANumberMessage(DimensionField field);

} // namespace merivox
