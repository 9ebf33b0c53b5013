#include "OutputCheck.h"

#include "SameFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace merivox {

namespace {

std::filesystem::path nativePath(const QString &path)
{
    return {QDir::toNativeSeparators(path).toStdU16String()};
}

} // namespace

OutputKind pdfOutput()
{
    return {QByteArrayLiteral("%PDF-"), QStringLiteral("PDF-Datei")};
}

QString outputRefusal(const QString &output, const QString &input, const OutputKind &kind)
{
    const QString shown = QDir::toNativeSeparators(output);
    if (!input.isEmpty() && sameFileOnDisk(nativePath(output), nativePath(input))) {
        if (output == input) {
            return QStringLiteral("%1 ist die Datei, die gelesen wird: sie wird nicht überschrieben.").arg(shown);
        }
        return QStringLiteral("%1 ist dieselbe Datei wie %2, die gelesen wird: sie wird nicht überschrieben.")
            .arg(shown, QDir::toNativeSeparators(input));
    }
    // On Windows every spelling of the name is the same file; everywhere it is a probe file.
    if (QFileInfo(output).fileName().compare(QLatin1String("usrprobe.dat"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("%1 ist eine Tasterdatei (usrprobe.dat): sie wird nicht überschrieben.").arg(shown);
    }
    const QFileInfo existing(output);
    if (!existing.exists() || existing.isDir()) {
        return {};
    }
    // A device or a pipe is not opened to look (that could wait for ever): it is no file of the kind.
    QFile file(output);
    if (existing.isFile() && !file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("%1 gibt es schon, lässt sich aber nicht lesen: ob es eine %2 ist, bleibt offen, "
                              "darum wird sie nicht überschrieben.")
            .arg(shown, kind.name);
    }
    if (!existing.isFile() || !file.read(kind.start.size()).startsWith(kind.start)) {
        return QStringLiteral("%1 gibt es schon und ist keine %2: sie wird nicht überschrieben.").arg(shown, kind.name);
    }
    return {};
}

} // namespace merivox
