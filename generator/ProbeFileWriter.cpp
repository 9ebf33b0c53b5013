#include "ProbeFileWriter.h"

#include "AnsiText.h"
#include "AppendFile.h"
#include "FileCauseText.h"

#include <QDir>

namespace merivox {

QString ProbeFileWriter::filePath(const QString &folder)
{
    return QDir(folder).filePath(fileName());
}

std::optional<QByteArray> ProbeFileWriter::encode(const TipRecord &record)
{
    QByteArray bytes;
    for (const QString &line : record.lines) {
        const auto encoded = toAnsi(line);
        if (!encoded) {
            return std::nullopt;
        }
        bytes += *encoded;
        bytes += "\r\n";
    }
    return bytes;
}

bool ProbeFileWriter::fail(const QString &path, const QString &reason)
{
    m_error =
        QStringLiteral("Die Datei %1 konnte nicht geschrieben werden.\n%2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

bool ProbeFileWriter::append(const QString &folder, const TipRecord &record)
{
    m_error.clear();
    const QString path = filePath(folder);
    const auto bytes = encode(record);
    if (!bytes) {
        return fail(path, QStringLiteral("Der Eintrag enthält Zeichen, die die Datei nicht darstellen kann."));
    }

    // The path as the operating system spells it: UTF-16 with backslashes on Windows, UTF-8
    // elsewhere (as Qt names files).
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    const AppendResult result = appendToFile(native, std::string_view(bytes->constData(), size_t(bytes->size())));
    if (!result.ok()) {
        return fail(path, causeText(FileTask::Append, result.cause, result.systemError));
    }
    return true;
}

} // namespace merivox
