#include "RepairCommand.h"

#include "LineRepair.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"

#include <QTextStream>

namespace merivox {

int repairLine(const QString &path, int line, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<ProbeFile> read = ProbeFile::read(path, &error);
    if (!read) {
        err << error << Qt::endl;
        return 2;
    }
    const std::optional<LineRepair> repair = LineRepair::of(*read, line, &error);
    if (!repair) {
        err << error << Qt::endl;
        return 1;
    }
    const ChangeOutcome outcome = ProbeFileEditor().repair(path, read->bytes(), *repair);
    if (outcome.done()) {
        out << repair->doneText() << Qt::endl;
    } else {
        err << outcome.text << Qt::endl;
    }
    return outcome.exitCode();
}

} // namespace merivox
