#pragma once

#include "History.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace merivox {

class ProbeFile;

// What the history beside a probe file offers for putting back, as the window's "Entfernte
// Einträge …" and merivox-view --history list it and --restore numbers it: the entries whose bytes
// were taken out, newest first, without those whose change did not happen. ProbeFileEditor::restore
// puts a row back.
class RemovedRecords final
{
public:
    struct Row
    {
        HistoryEntry entry;
        QString name; // as the reader reads the removed bytes; empty for lines of no record
        QString thread;
        QString when;   // local time, 08.12.2026 18:56:48
        QString lines;  // "12 bis 21", or "7" for one line
        QString action; // what took them out, in the operator's words
        QByteArray nameBytes, threadBytes;

        // "Zeilen 12 bis 21", or "Zeile 7"
        QString linesNamed() const
        {
            return (entry.lastLine > entry.firstLine ? QStringLiteral("Zeilen ") : QStringLiteral("Zeile ")) + lines;
        }
    };

    // Reads the file at path and its history. Nothing, with the German reason, when either cannot
    // be read; no history is an empty list.
    static std::optional<RemovedRecords> read(const QString &path, QString *error);
    // The list for a history and the file's content, as read.
    static RemovedRecords of(std::string_view history, const ProbeFile &file);

    const QList<Row> &rows() const { return m_rows; }
    // Whether a record of the row's name and thread stands in the file as read.
    bool alreadyInFile(qsizetype row) const;
    // The file's content that the list was read with.
    const QByteArray &content() const { return m_content; }

    // The row as --history prints it, numbered from 1.
    QString listLine(qsizetype row) const;

private:
    QList<Row> m_rows;
    QByteArray m_content;
    QList<std::pair<QByteArray, QByteArray>> m_inFile; // every record's name and thread bytes
};

} // namespace merivox
