#include "CatalogueAction.h"

#include "Catalogue.h"
#include "OutputCheck.h"
#include "ProbeFile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QUrl>
#include <QWidget>

#include <climits>

namespace merivox {

CatalogueAction::CatalogueAction(QWidget *window)
    : QObject(window), m_window(window), m_action(new QAction(QStringLiteral("&Katalog als PDF …"), window))
{
    m_action->setObjectName(QStringLiteral("act_katalog"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    m_action->setEnabled(false);
    connect(m_action, &QAction::triggered, this, &CatalogueAction::save);
}

void CatalogueAction::setFile(const ProbeFile *file, const QString &path)
{
    m_file = file;
    m_path = path;
    m_action->setEnabled(true);
}

QString CatalogueAction::question(qsizetype records)
{
    if (records <= kAskAbove) {
        return {};
    }
    return QStringLiteral("Die Datei hat %1 Einträge: ihr Katalog wird %2 Seiten lang.\n\nKatalog schreiben?")
        .arg(records)
        .arg(cataloguePageCount(records));
}

void CatalogueAction::save()
{
    if (!m_file) {
        return;
    }
    const QString asked = question(m_file->recordCount());
    if (!asked.isEmpty() &&
        QMessageBox::question(m_window, m_window->windowTitle(), asked, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const QFileInfo source(m_path);
    const QString suggested = source.dir().filePath(QStringLiteral("Katalog %1.pdf").arg(source.completeBaseName()));
    const QString path = QFileDialog::getSaveFileName(m_window, QStringLiteral("Katalog als PDF speichern"), suggested,
                                                      QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty() || !write(path)) {
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::information(m_window, m_window->windowTitle(),
                                 QStringLiteral("Der Katalog ist gespeichert, aber kein PDF-Programm hat ihn "
                                                "geöffnet:\n%1")
                                     .arg(QDir::toNativeSeparators(path)));
    }
}

bool CatalogueAction::write(const QString &pdfPath)
{
    if (!m_file) {
        return false;
    }
    QString error = outputRefusal(pdfPath, m_path, pdfOutput());
    if (!error.isEmpty()) {
        QMessageBox::critical(m_window, m_window->windowTitle(), error);
        return false;
    }
    // A copy (its records, the bytes shared or left on disk): the window may read the file again
    // and show another while the pages are made.
    const ProbeFile file = *m_file;
    const QString source = m_path;
    const qsizetype total = cataloguePageCount(file.recordCount());
    QProgressDialog progress(QStringLiteral("Katalog wird geschrieben …"), QStringLiteral("Abbrechen"), 0,
                             int(std::min<qsizetype>(total, INT_MAX)), m_window);
    progress.setObjectName(QStringLiteral("dlg_katalog"));
    progress.setWindowTitle(m_window->windowTitle());
    // Modal to the window, so that nothing in it changes the file shown or starts another; the
    // dialog serves the window's events at each page.
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const auto step = [&](qsizetype done, qsizetype all) {
        progress.setLabelText(QStringLiteral("Katalog wird geschrieben: Seite %1 von %2 …").arg(done).arg(all));
        progress.setValue(int(std::min<qsizetype>(done, INT_MAX)));
        return !progress.wasCanceled();
    };
    const bool written = writeCatalogue(pdfPath, {&file, source, QDate::currentDate()}, step, &error);
    progress.close();
    if (!written && !error.isEmpty()) {
        QMessageBox::critical(m_window, m_window->windowTitle(), error);
    }
    return written;
}

} // namespace merivox
