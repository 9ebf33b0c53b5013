#pragma once

// The catalogue of a whole probe file, for the stylus cabinet's binder: one PDF whose first page
// names the file (name, folder, date of printing, how many entries, problems and hints) and
// starts an overview table of every record (line, name, thread, kind, probing element's Ø,
// overall length, materials, a mark for a record with a problem, the page of its sheet), run on
// over as many A4 pages as it needs; then every record's data sheet in the file's order, each as
// writeDataSheet paints it alone, with the record's problems named on it and the page's number.
//
// The pages are written to the file as they are made: what the writing holds beside the file
// that is read is a bit per record and the problems of one record at a time.

#include "ProbeFile.h"

#include <QDate>
#include <QString>

#include <functional>

namespace merivox {

struct CatalogueSource
{
    const ProbeFile *file = nullptr;
    // Where the file was read: its name and folder head the catalogue, and problems beyond
    // those that the reading kept (ProbeFile::nextLine) are read from it again. May be empty
    // for a file that was not read from disk; then only the kept problems are shown.
    QString path;
    QDate printed;
};

// How many records the overview lists on its first page, beneath the title block, and on each
// further page.
constexpr qsizetype kOverviewFirstRows = 36;
constexpr qsizetype kOverviewRows = 45;

// How many pages the overview takes (at least the first, with the title block), and the whole
// catalogue: the overview's pages and one page per record.
qsizetype overviewPageCount(qsizetype records);
qsizetype cataloguePageCount(qsizetype records);

// Told after every page written: pages done so far, pages in all. Returns false to stop.
using CatalogueProgress = std::function<bool(qsizetype done, qsizetype total)>;

// Writes the catalogue as a PDF to path. It is written under a temporary name in the same folder
// and takes the name only once complete: a catalogue stopped or failed leaves nothing under it,
// and a file there before stays as it was. False when it was not written: with a German reason
// in error, or with error empty when progress stopped it.
bool writeCatalogue(const QString &path, const CatalogueSource &source, const CatalogueProgress &progress = {},
                    QString *error = nullptr);

} // namespace merivox
