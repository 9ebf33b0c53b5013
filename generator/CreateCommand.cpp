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

void setBallColour(const EditorPort &editor, EditorState &state)
{
    if (editor.isBallMaterialSelected(BallMaterial::HardMetal)) {
        state.ball_rgb = kHardMetalBall;
    } else if (editor.isBallMaterialSelected(BallMaterial::Ruby)) {
        state.ball_rgb = kRubyBall;
    } else if (editor.isBallMaterialSelected(BallMaterial::Ceramic)) {
        state.ball_rgb = kCeramicBall;
    }
}

} // namespace

QString notANumberMessage(DimensionField field)
{
    static const char *const captions[] = {"L1", "L2", "L3", "D1", "D2", "Kugeldurchmesser", "Länge", "Breite", "L4"};
    static_assert(std::size(captions) == std::size(kDimensionFields));
    return QStringLiteral("Bitte nur Zahlen bei %1 eintragen").arg(QString::fromUtf8(captions[int(field)]));
}

void runCreateCommand(EditorPort &editor, EditorState &state, MessageSink &messages, const QLocale &locale)
{
    setBallColour(editor, state);

    TipInputs in;
    bool failed = false;
    const auto check = [&](bool passed, const QString &message) {
        if (!passed) {
            failed = true;
            messages.showError(message);
        }
        return passed;
    };

    in.name = editor.nameText();
    if (check(!in.name.isEmpty(), kNameMissing)) {
        check(isWritableText(in.name), kNameUnwritable);
    }
    in.thread = editor.threadText();
    if (check(!in.thread.isEmpty(), kThreadMissing)) {
        check(isWritableText(in.thread), kThreadUnwritable);
    }
    in.thread2 = editor.thread2Text();
    const TipKindDescription *kind = state.tip_type ? findTipKind(*state.tip_type) : nullptr;
    if (kind && kind->secondThread) {
        check(isWritableText(in.thread2), kThreadUnwritable);
    }

    for (const DimensionField field : kDimensionFields) {
        const QString text = editor.dimensionText(field);
        Dimension &dimension = dimensionOf(in, field);
        if (const auto value = readDimension(text, locale)) {
            dimension = {text, *value};
        } else if (!editor.isDimensionEnabled(field)) {
            dimension = {QStringLiteral("0"), 0.0};
        } else {
            check(false, notANumberMessage(field));
            editor.clearDimension(field);
        }
    }

    // A tip_type outside the table calls no builder and shows nothing.
    if (!failed && kind) {
        in.tip_type = kind->kind;
        in.shaft_rgb = state.shaft_rgb;
        in.ball_rgb = state.ball_rgb;
        in.Check_zyl = editor.isWithoutHalfSphere();
        in.folder = editor.folder();
        ProbeFileWriter writer;
        if (const auto record = buildRecord(kind->kind, in, locale); !record) {
            messages.showError(kTooLarge);
        } else if (!writer.append(in.folder, *record)) {
            messages.showError(writer.errorString());
        } else {
            messages.showSuccess(QString::fromUtf8(kind->success));
        }
    }

    editor.closeEditor();
}

} // namespace merivox
