#pragma once

// How a probe component travels from the editor to the file:
//
//   editor window --(EditorPort, EditorState)--> runCreateCommand
//       planCreateCommand: checks name, threads and every enabled dimension
//       --> TipInputs and the kind's row of kTipKinds (TipKinds.h)
//       --> buildRecord (one pure builder per kind, Builders.h) --> TipRecord
//   then one error message per failed check (MessageSink), each failed field emptied; or
//   --> EntryLookup: does usrprobe.dat, read as it stands now, name this entry already? Then the
//       operator is asked (MessageSink::askAppendAnyway) and may leave the file as it is
//   --> ProbeFileWriter::append (encode, lock, append the whole record, flush, roll back on failure)
//   --> usrprobe.dat; then one success message, and the editor is asked to close.
//
// Nothing here touches a widget: the editor window implements EditorPort and MessageSink. The
// editor's preview runs planCreateCommand alone, so it shows the very record that would be written.

#include "TipInputs.h"
#include "TipRecord.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QTime>

#include <array>
#include <map>
#include <optional>

namespace merivox {

// The ball material option buttons, in the order in which they are tested.
enum class BallMaterial { HardMetal, Ruby, Ceramic };

// The editor's shaft material boxes.
enum class ShaftMaterial { CarbonFibre, Ceramic, Steel };

using DimensionTexts = std::array<QString, std::size(kDimensionFields)>; // by DimensionField

// The editor's inputs as the operator typed and chose them, kept from an "Erstellen" that wrote
// nothing so that the next opening of the editor of that kind can offer them again.
struct TypedInput
{
    QString name;
    QString thread;
    QString thread2;
    DimensionTexts dimensions; // as typed, before a failed check emptied any of them
    bool withoutHalfSphere = false;
    std::optional<ShaftMaterial> shaft; // the box checked, if any
    std::optional<BallMaterial> ball;   // the option selected, if any
    QTime time;                         // of the "Erstellen" that wrote nothing
};

// The values that belong to the editor but outlive its window: each opening starts with
// empty inputs, while these keep what the last opening left in them.
struct EditorState
{
    std::optional<TipKind> tip_type; // none until the editor first opens
    Rgb shaft_rgb = kSteelShaft;
    Rgb ball_rgb = kRubyBall;
    // Per kind, the input of its last "Erstellen" when that wrote nothing; a later one of the
    // same kind replaces it, one that writes drops it.
    std::map<TipKind, TypedInput> unwritten;
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
    // A question with two answers, "Trotzdem anhängen" and "Abbrechen" (the default): true for
    // the first.
    virtual bool askAppendAnyway(const QString &text) = 0;
};

// The records of usrprobe.dat that name the same entry as a record about to be appended: the
// line of the first of them, and how many there are. Nothing found: count 0.
struct SameEntries
{
    int firstLine = 0;
    qsizetype count = 0;
};

// Reads usrprobe.dat as it stands right before a record is appended, for the entry that the
// record's item line names ("ITEM:TIPMM M3"), by the reader's duplicate rule. A file that is
// missing or cannot be read holds nothing found. Called without any lock held.
class EntryLookup
{
public:
    virtual ~EntryLookup() = default;
    virtual SameEntries sameEntries(const QString &folder, const QString &itemLine) const = 0;
};

// The editor's input that a failed check is about: the name, one of the two thread lists, or a
// dimension (which one, the failure says). None for a record that cannot be built.
enum class InputField { None, Name, Thread, Thread2, Dimension };

// One failed check: the error message, and the input at fault, by what it is and by its caption
// as the editor labels it ("Benennung", "L2"; empty for InputField::None). A dimension that is
// not a number is emptied after its message.
struct CreateFailure
{
    QString message;
    InputField field = InputField::None;
    QString caption;
    bool empty = false;                    // the input holds no text at all
    std::optional<DimensionField> emptied; // the dimension, for InputField::Dimension
};

// What the Create command would do with the editor's values as they stand, without doing any of
// it: the ball colour that it sets, then either the failed checks in the order of their messages,
// or the checked inputs with the record to append. With a tip_type outside the kinds there is
// neither.
struct CreatePlan
{
    Rgb ball_rgb;
    QList<CreateFailure> failures;
    std::optional<TipInputs> inputs; // every check passed
    std::optional<TipRecord> record; // and the record could be built
};
CreatePlan planCreateCommand(const EditorPort &editor, const EditorState &state, const QLocale &locale);

// What the "Erstellen" button does: sets the ball colour, checks the inputs, and when every check
// passed looks the entry up in usrprobe.dat in the editor's folder; an entry the file names
// already is a question to the operator, whose "Abbrechen" leaves the file as it is and shows no
// success. Otherwise it appends one record, reports each outcome, and always ends by asking the
// editor to close. True when a record went into the file.
bool runCreateCommand(EditorPort &editor, EditorState &state, MessageSink &messages, const EntryLookup &entries,
                      const QLocale &locale);

// The question asked before a record joins the entries of the same name and thread that the
// file holds already (name and thread as typed).
QString sameEntryQuestion(const QString &name, const QString &thread, const SameEntries &found);

// The message shown when a dimension field does not hold a number.
QString notANumberMessage(DimensionField field);

// The message shown once a kind's record is in the file: "Würfel wurde erfolgreich erstellt".
QString successMessage(TipKind kind);

} // namespace merivox
