#include "ViewerStartup.h"

#include "Catalogue.h"
#include "Console.h"
#include "DataSheet.h"
#include "HeadlessPlatform.h"
#include "OutputCheck.h"
#include "ProbeFile.h"
#include "QtTranslation.h"
#include "ReaderTexts.h"
#include "ScreenPlacement.h"
#include "ViewerCommand.h"
#include "ViewerWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

namespace merivox {

int writeSheetFile(const QString &pdfPath, int line, const QString &path, QTextStream &out, QTextStream &err)
{
    QString error = outputRefusal(pdfPath, path, pdfOutput());
    if (!error.isEmpty()) {
        err << error << Qt::endl;
        return 2;
    }
    const std::optional<ProbeFile> file = ProbeFile::read(path, &error);
    if (!file) {
        err << error << Qt::endl;
        return 2;
    }
    const std::optional<qsizetype> record = file->recordOfLine(line, &error);
    if (!record) {
        err << error << Qt::endl;
        return 1;
    }
    const DataSheetSource source{&*file, *record, QFileInfo(path).fileName(), QDate::currentDate()};
    if (!writeDataSheet(pdfPath, source, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    out << QStringLiteral("Datenblatt von „%1“ geschrieben: %2").arg(visible(file->name(*record)), pdfPath) << Qt::endl;
    return 0;
}

int writeCatalogueFile(const QString &pdfPath, const QString &path, QTextStream &out, QTextStream &err)
{
    QString error = outputRefusal(pdfPath, path, pdfOutput());
    if (!error.isEmpty()) {
        err << error << Qt::endl;
        return 2;
    }
    // A file of any size costs only its records: the pages read their lines from the disk again.
    ProbeFile::Keep keep;
    keep.bytesOnDisk = true;
    const std::optional<ProbeFile> file = ProbeFile::read(path, &error, keep);
    if (!file) {
        err << error << Qt::endl;
        return 2;
    }
    if (!writeCatalogue(pdfPath, {&*file, path, QDate::currentDate()}, {}, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    const qsizetype pages = cataloguePageCount(file->recordCount());
    out << QStringLiteral("Katalog von „%1“ geschrieben (%2): %3")
               .arg(QFileInfo(path).fileName(),
                    pages == 1 ? QStringLiteral("1 Seite") : QStringLiteral("%1 Seiten").arg(pages), pdfPath)
        << Qt::endl;
    return 0;
}

int runViewer(int argc, char *argv[])
{
    // Handed to the console when the function returns: on Windows as Unicode text or code-page bytes.
    ConsoleText outText(ConsoleStream::Output);
    ConsoleText errText(ConsoleStream::Error);
    QTextStream &out = outText.stream();
    QTextStream &err = errText.stream();
    const ViewerRequest request = readViewerArguments(argc, argv);
    if (const std::optional<int> answered = answerWithoutDisplay(request, argc, argv, out, err)) {
        return *answered;
    }
    if (request.action == ViewerRequest::Action::Sheet) {
        // Fonts, but no window.
        chooseHeadlessPlatform();
        QGuiApplication app(argc, argv);
        return writeSheetFile(request.pdfPath, request.line, request.path, out, err);
    }
    if (request.action == ViewerRequest::Action::Catalogue) {
        chooseHeadlessPlatform();
        QGuiApplication app(argc, argv);
        return writeCatalogueFile(request.pdfPath, request.path, out, err);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox-Betrachter"));
    // The program speaks German; Qt's own dialogs (the file dialog, message box buttons) too.
    installQtTranslation(app);
    // Every window, the file dialog and message boxes included, keeps its frame on its screen.
    ScreenPlacement placement(&app);
    ViewerWindow window;
    window.show();
    if (request.path.isEmpty()) {
        QTimer::singleShot(0, &window, &ViewerWindow::chooseFile);
    } else {
        window.loadFile(request.path); // the window shows at once, the file when it is read
    }
    return QApplication::exec();
}

} // namespace merivox
