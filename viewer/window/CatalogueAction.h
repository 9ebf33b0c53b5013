#pragma once

#include <QObject>
#include <QString>

class QAction;
class QWidget;

namespace merivox {

class ProbeFile;

// The viewer's "Katalog als PDF …" (Strg+Umschalt+P): the catalogue of the whole file shown
// (Catalogue.h). A file of more than kAskAbove records is asked about first, naming the pages;
// then a save dialog as the data sheet's, the pages written with a progress dialog whose
// "Abbrechen" stops them and leaves nothing under the chosen name, the window served between
// pages; the PDF written is opened in the system's PDF program.
class CatalogueAction final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CatalogueAction)

public:
    static constexpr qsizetype kAskAbove = 1000;

    // The action's text, shortcut and messages belong to window.
    explicit CatalogueAction(QWidget *window);

    QAction *action() const { return m_action; }

    // The file the window shows from now on, read from path; offered once there is one. The window
    // keeps it, and calls this again whenever it shows another.
    void setFile(const ProbeFile *file, const QString &path);

    // Asks where to save the catalogue (and first, for a large file, whether to), writes it and
    // opens it.
    void save();
    // Writes the catalogue of the file shown to pdfPath with the progress dialog. True when it is
    // written; a failure is shown in a message box, a stop in the status bar's place (nothing).
    bool write(const QString &pdfPath);

    // The question before a catalogue of records records; empty where none is asked.
    static QString question(qsizetype records);

private:
    QWidget *m_window;
    QAction *m_action;
    const ProbeFile *m_file = nullptr;
    QString m_path;
};

} // namespace merivox
