#pragma once

// A record of the file as a template for the editor: the editor's inputs recovered from the
// record's lines such that, entered as they are, "Erstellen" writes the very same record again.
// Sizes that the record writes as typed keep their text to the last blank; lengths that it holds
// as computed positions are read back from them (and, where a position was rounded to 15 digits,
// chosen so that every position it feeds comes out the same). Every recovery is checked by
// building the record again; what does not come out the same is said in a note.

#include "CreateCommand.h"
#include "Materials.h"
#include "ProbeRecord.h"
#include "TipInputs.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace merivox {

// What a record offers the editor, as the record writes it (its own decimal separator).
struct RecordTemplate
{
    TipKind kind = TipKind::Ball;
    int line = 0; // of its item line in the file
    QString name;
    QString thread;
    QString thread2;
    DimensionTexts dimensions; // those of the kind; empty where the record does not give one
    bool withoutHalfSphere = false;
    std::optional<Rgb> shaftColour;
    std::optional<Rgb> ballColour;
    Decimal decimal = Decimal::None; // of the record's numbers
    // Entered as they are, these inputs build the record byte for byte; else what differs (German).
    bool exact = false;
    QStringList differences;
};

// The editor a record of the file is a template for; nothing for a record that no editor builds.
std::optional<TipKind> templateKind(RecordKind kind, TipShape shape);

// Recovers the editor's inputs from a record's lines as they stand in the file (without line
// ends); firstLine is the number of its item line.
RecordTemplate recoverTemplate(TipKind kind, const QStringList &lines, int firstLine = 1);

// What the editor is filled with from a template: its numbers written with the editor's decimal
// separator, the material choices that write its colours, and the notes (German) on what the
// new record will not take over as the template has it.
struct TemplateFill
{
    QString name;
    QString thread;
    QString thread2;           // the extension's
    DimensionTexts dimensions; // those of the kind
    bool withoutHalfSphere = false;
    std::optional<ShaftMaterial> shaft;
    std::optional<BallMaterial> ball;
    QStringList notes;
};
TemplateFill templateFill(const RecordTemplate &record, const QLocale &locale);

// The entry of a template in the preview's list: "TIP – M3 (Zeile 12)".
QString templateTitle(const RecordTemplate &record);

} // namespace merivox
