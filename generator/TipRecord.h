#pragma once

#include <QStringList>

namespace merivox {

// One record of the probe file: its lines in order, without line ends.
struct TipRecord
{
    QStringList lines;
};

} // namespace merivox
