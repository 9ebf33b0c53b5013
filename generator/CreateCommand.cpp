#include "CreateCommand.h"

#include "AnsiText.h"
#include "Builders.h"
#include "NumberText.h"
#include "ProbeFileWriter.h"

#include <iterator>

namespace merivox {

namespace {

const QString kNameMissing = QStringLiteral("Bitte geben Sie einen Namen für die Tastspitze ein");
const QString kNameUnwritable =
    QStringLiteral("Die Benennung enthält Zeichen, die nicht in die Datei geschrieben werden können");
const QString kThreadMissing = QStringLiteral("Bitte wählen Sie ein Gewinde aus");
const QString kThreadUnwritable =
    QStringLiteral("Das Gewinde enthält Zeichen, die nicht in die Datei geschrieben werden können");
const QString kTooLarge = QStringLiteral("Die berechneten Maße sind zu groß.");

Dimension &dimensionOf(TipInputs &in, DimensionField field)
{
    switch (field) {
    case DimensionField::L1:
        return in.L1;
    case DimensionField::L2:
        return in.L2;
    case DimensionField::L3:
        return in.L3;
    case DimensionField::D1:
        return in.D1;
    case DimensionField::D2:
        return in.D2;
    case DimensionField::BallDiameter:
        return in.ball_diameter;
    case DimensionField::Length:
        return in.length;
    case DimensionField::Width:
        return in.width;
    case DimensionField::L4:
        break;
    }
    return in.L4;
}

// A dimension counts as a number only when the record can also carry its text as typed.
std::optional<double> readDimension(const QString &text, const QLocale &locale)
{
    if (!isWritableText(text)) {
        return std::nullopt;
    }
    return parseNumber(text, locale);
}

Rgb ballColour(const EditorPort &editor, const EditorState &state)
{
    if (editor.isBallMaterialSelected(BallMaterial::HardMetal)) {
        return kHardMetalBall;
    }
    if (editor.isBallMaterialSelected(BallMaterial::Ruby)) {
        return kRubyBall;
    }
    if (editor.isBallMaterialSelected(BallMaterial::Ceramic)) {
        return kCeramicBall;
    }
    return state.ball_rgb;
}

const char *const kCaptions[] = {"L1", "L2", "L3", "D1", "D2", "Kugeldurchmesser", "Länge", "Breite", "L4"};
static_assert(std::size(kCaptions) == std::size(kDimensionFields));

} // namespace

QString successMessage(TipKind kind)
{
    return QString::fromUtf8(findTipKind(kind)->name) + QStringLiteral(" wurde erfolgreich erstellt");
}

QString notANumberMessage(DimensionField field)
{
    return QStringLiteral("Bitte nur Zahlen bei %1 eintragen").arg(QString::fromUtf8(kCaptions[int(field)]));
}

CreatePlan planCreateCommand(const EditorPort &editor, const EditorState &state, const QLocale &locale)
{
    CreatePlan plan;
    plan.ball_rgb = ballColour(editor, state);
    const auto check = [&](bool passed, const QString &message, InputField field, const QString &caption,
                           bool empty = false) {
        if (!passed) {
            plan.failures.append({message, field, caption, empty, std::nullopt});
        }
        return passed;
    };

    TipInputs in;
    in.name = editor.nameText();
    const QString name = QStringLiteral("Benennung"), thread = QStringLiteral("Gewinde 1");
    if (check(!in.name.isEmpty(), kNameMissing, InputField::Name, name, true)) {
        check(isWritableText(in.name), kNameUnwritable, InputField::Name, name);
    }
    in.thread = editor.threadText();
    if (check(!in.thread.isEmpty(), kThreadMissing, InputField::Thread, thread, true)) {
        check(isWritableText(in.thread), kThreadUnwritable, InputField::Thread, thread);
    }
    in.thread2 = editor.thread2Text();
    const TipKindDescription *kind = state.tip_type ? findTipKind(*state.tip_type) : nullptr;
    if (kind && kind->secondThread) {
        check(isWritableText(in.thread2), kThreadUnwritable, InputField::Thread2, QStringLiteral("Gewinde 2"));
    }

    for (const DimensionField field : kDimensionFields) {
        const QString text = editor.dimensionText(field);
        Dimension &dimension = dimensionOf(in, field);
        if (const auto value = readDimension(text, locale)) {
            dimension = {text, *value};
        } else if (!editor.isDimensionEnabled(field)) {
            dimension = {QStringLiteral("0"), 0.0};
        } else {
            plan.failures.append({notANumberMessage(field), InputField::Dimension,
                                  QString::fromUtf8(kCaptions[int(field)]), text.isEmpty(), field});
        }
    }

    // A tip_type outside the table calls no builder and shows nothing.
    if (plan.failures.isEmpty() && kind) {
        in.tip_type = kind->kind;
        in.shaft_rgb = state.shaft_rgb;
        in.ball_rgb = plan.ball_rgb;
        in.Check_zyl = editor.isWithoutHalfSphere();
        in.folder = editor.folder();
        plan.record = buildRecord(kind->kind, in, locale);
        if (!plan.record) {
            plan.failures.append({kTooLarge, InputField::None, QString(), false, std::nullopt});
        }
        plan.inputs = std::move(in);
    }
    return plan;
}

QString sameEntryQuestion(const QString &name, const QString &thread, const SameEntries &found)
{
    // The thread as the file's entries are told apart: blanks at its end do not count.
    qsizetype end = thread.size();
    while (end > 0 && (thread.at(end - 1) == QLatin1Char(' ') || thread.at(end - 1) == QLatin1Char('\t'))) {
        --end;
    }
    // Every placeholder is filled in one pass: a name may itself hold "%1".
    const QString where =
        found.count > 1
            ? QStringLiteral("Benennung „%1“ mit Gewinde „%2“ steht schon %3-mal in usrprobe.dat, zuerst in Zeile %4.")
                  .arg(name, thread.left(end), QString::number(found.count), QString::number(found.firstLine))
            : QStringLiteral("Benennung „%1“ mit Gewinde „%2“ steht schon in Zeile %3 von usrprobe.dat.")
                  .arg(name, thread.left(end), QString::number(found.firstLine));
    return where + QStringLiteral("\nEin weiterer Eintrag gleichen Namens mit gleichem Gewinde wäre ein Problem der "
                                  "Datei.\n\nTrotzdem anhängen?");
}

bool runCreateCommand(EditorPort &editor, EditorState &state, MessageSink &messages, const EntryLookup &entries,
                      const QLocale &locale)
{
    const CreatePlan plan = planCreateCommand(editor, state, locale);
    state.ball_rgb = plan.ball_rgb;
    for (const CreateFailure &failure : plan.failures) {
        messages.showError(failure.message);
        if (failure.emptied) {
            editor.clearDimension(*failure.emptied);
        }
    }
    if (plan.record) {
        // The file as it stands now, not as the preview last read it; no lock is held while the
        // operator thinks it over.
        const SameEntries found = entries.sameEntries(plan.inputs->folder, plan.record->lines.first());
        if (found.count > 0 &&
            !messages.askAppendAnyway(sameEntryQuestion(plan.inputs->name, plan.inputs->thread, found))) {
            editor.closeEditor();
            return false;
        }
        ProbeFileWriter writer;
        if (writer.append(plan.inputs->folder, *plan.record)) {
            messages.showSuccess(successMessage(plan.inputs->tip_type));
            editor.closeEditor();
            return true;
        }
        messages.showError(writer.errorString());
    }
    editor.closeEditor();
    return false;
}

} // namespace merivox
