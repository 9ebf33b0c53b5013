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
    ProbeFileEditor editor;
    const ProbeFileEditor::Outcome outcome =
        editor.repair(path, read->bytes(), repair->begin, repair->end, repair->insert);
    if (outcome != ProbeFileEditor::Outcome::Done) {
        err << editor.errorString() << Qt::endl;
        return int(outcome);
    }
    out << repair->doneText() << Qt::endl;
    return 0;
}

} // namespace merivox
