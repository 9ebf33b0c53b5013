#pragma once

// Records that several tests share, as lines and as they stand in the file: the ball stylus that
// the editor builds from its example inputs (TIP on M3, L1 10, L2 15, L3 40, D1 4, D2 2, ball 3)
// and a 50 mm extension.

#include <QByteArray>
#include <QStringList>

namespace merivox::test {

// Lines as the file holds them, each ended by CR LF.
inline QByteArray crlfLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLatin1() + "\r\n";
    }
    return bytes;
}

inline const QStringList kBallRecord{
    "ITEM:TIPMM M3",
    "begintip",
    "ribcount 10",
    "Color 142 142 142",
    "cylinder 0 0 0 0 0 -10 4",
    "cone 0 0 -10 4 0 0 -15 2",
    "cylinder 0 0 -15 0 0 -40 2",
    "Color 255 0 0",
    "sphere 0 0 -40 3",
    "hotspot 0 0 -40 0 0 1 3 3 ball",
    "endtip",
};
inline const QByteArray kBall = crlfLines(kBallRecord);

inline const QByteArray kExtension = crlfLines({
    "ITEM:V50MM M3ANALOG",
    "ribcount 10",
    "Color 142 142 142",
    "cylinder 0 0 0 0 0 -50 4",
    "connect  0  0 -50 0  0  1 M2ANALOG",
});

} // namespace merivox::test
