#pragma once

// Whether this system replaces a file in one step, as taking a record out of the file needs. Wine,
// under which the Windows build's tests run, refuses it (the file is then reported in use and left
// as it was); tests of a removal that succeeds skip themselves there.

#include "ReplaceFile.h"

#include <QFile>
#include <QTemporaryDir>

inline bool replacesInOneStep()
{
    static const bool replaces = [] {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("probe.dat"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("ab") != 2) {
            return false;
        }
        file.close();
        const auto result = merivox::removeFromFile(path.toStdU16String(), merivox::contentHash("ab"), 0, 1);
        return result.cause != merivox::FileCause::InUse;
    }();
    return replaces;
}

#define SKIP_WITHOUT_ONE_STEP_REPLACE()                                                                                \
    do {                                                                                                               \
        if (!replacesInOneStep()) {                                                                                    \
            QSKIP("This system refuses to replace a file in one step (Wine does); a removal is refused there.");      \
        }                                                                                                              \
    } while (false)
