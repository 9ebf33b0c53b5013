#include "ViewerWindow.h"

#include "CatalogueAction.h"
#include "DataSheet.h"
#include "FileFollower.h"
#include "FileLoader.h"
#include "HistoryDialog.h"
#include "InPlaceChange.h"
#include "NameColumnFit.h"
#include "OutputCheck.h"
#include "Pictures.h"
#include "ProblemListModel.h"
#include "ReaderTexts.h"
#include "RecordTableModel.h"
#include "RecordView.h"
#include "RemoveAction.h"
#include "RepairAction.h"
#include "ViewerCommand.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace merivox {

namespace {

// The viewer's one German name: window title, desktop entry and manual page.
const QString kViewerName = QStringLiteral("Merivox-Betrachter");

// How many characters of a long path the status bar shows beside the counts, its middle left out.
constexpr int kPathShown = 48;

// The lines of the longest record the program writes: a cube.
constexpr int kLongestRecord = 14;

// How long a burst of changes of the file (a removal: backup, new file, rename) is let settle
// before the file is read again.
constexpr int kSettleMs = 150;

QWidget *titled(const QString &title, QWidget *content)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *label = new QLabel(title);
    label->setBuddy(content);
    layout->addWidget(label);
    layout->addWidget(content, 1);
    return box;
}

} // namespace

ViewerWindow::ViewerWindow(QWidget *parent)
    : QMainWindow(parent), m_model(new RecordTableModel(this)), m_table(new QTableView), m_drawing(new RecordView),
      m_text(new QPlainTextEdit), m_problemModel(new ProblemListModel(this)), m_problems(new QListView),
      m_follower(new FileFollower(kSettleMs, this)), m_remover(new RemoveAction(this)),
      m_repairer(new RepairAction(this))
{
    setObjectName(QStringLiteral("frmAnsicht"));
    setWindowTitle(kViewerName);
    setWindowIcon(programIcon());

    m_table->setObjectName(QStringLiteral("tbl_eintraege"));
    m_table->setAccessibleName(QStringLiteral("Einträge"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    // Fixed row heights keep a table of many thousand records quick to scroll.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The line numbers say where a record stands; row numbers would only take room.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Narrow enough that the lines column shows at 1024 x 768 and 125 %.
    m_table->setColumnWidth(RecordTableModel::NameColumn, 100);
    m_table->setColumnWidth(RecordTableModel::ThreadColumn, 80);
    m_table->setColumnWidth(RecordTableModel::KindColumn, 100);
    // Names are shown whole, as far as the table has room: two records alike but for the end of
    // their names are told apart.
    m_nameFit = new NameColumnFit(m_table, RecordTableModel::NameColumn, {RecordTableModel::LinesColumn});

    m_text->setObjectName(QStringLiteral("txt_eintrag"));
    m_text->setAccessibleName(QStringLiteral("Text des Eintrags"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A whole record of the longest kind, without scrolling.
    m_text->setMinimumHeight(QFontMetrics(m_text->font()).lineSpacing() * kLongestRecord +
                             int(2 * m_text->document()->documentMargin()) + 2 * m_text->frameWidth() +
                             m_text->horizontalScrollBar()->sizeHint().height());

    m_problems->setObjectName(QStringLiteral("lst_probleme"));
    m_problems->setAccessibleName(QStringLiteral("Probleme und Hinweise"));
    m_problems->setModel(m_problemModel);
    // Long problem texts wrap; a file keeps at most about a thousand of them for the list.
    m_problems->setWordWrap(true);
    m_problems->setResizeMode(QListView::Adjust);
    m_problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Its own context menu and Entf offer the repair of the problem, never the removal of a record.
    m_problems->setContextMenuPolicy(Qt::CustomContextMenu);
    m_problems->installEventFilter(this);

    auto *left = new QSplitter(Qt::Vertical);
    left->addWidget(titled(QStringLiteral("&Einträge"), m_table));
    left->addWidget(titled(QStringLiteral("&Probleme und Hinweise"), m_problems));
    left->setStretchFactor(0, 3);
    left->setStretchFactor(1, 1);
    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(titled(QStringLiteral("Zeichnung (maßstäblich)"), m_drawing));
    right->addWidget(titled(QStringLiteral("&Text"), m_text));
    right->setStretchFactor(0, 1);
    right->setStretchFactor(1, 0);
    m_drawing->setMinimumSize(160, 120);
    auto *main = new QSplitter(Qt::Horizontal);
    main->addWidget(left);
    main->addWidget(right);
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 2);
    setCentralWidget(main);

    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("&Datei"));
    QAction *open = fileMenu->addAction(QStringLiteral("Ö&ffnen …"), this, &ViewerWindow::chooseFile);
    open->setShortcut(QKeySequence::Open);
    QAction *reload = fileMenu->addAction(QStringLiteral("&Neu laden"), this, &ViewerWindow::reloadFile);
    reload->setObjectName(QStringLiteral("act_neuladen"));
    reload->setShortcut(QKeySequence::Refresh);
    m_sheetAction = fileMenu->addAction(QStringLiteral("Datenblatt als &PDF …"), this, &ViewerWindow::saveDataSheet);
    m_sheetAction->setObjectName(QStringLiteral("act_datenblatt"));
    m_sheetAction->setShortcut(QKeySequence::Print);
    m_sheetAction->setEnabled(false);
    m_catalogue = new CatalogueAction(this);
    fileMenu->addAction(m_catalogue->action());
    fileMenu->addSeparator();
    QAction *quit = fileMenu->addAction(QStringLiteral("&Beenden"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    QMenu *editMenu = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    editMenu->addAction(m_remover->undoAction());
    editMenu->addSeparator();
    editMenu->addAction(m_remover->removeAction());
    m_historyAction = editMenu->addAction(QStringLiteral("Ent&fernte Einträge …"), this, &ViewerWindow::showHistory);
    m_historyAction->setObjectName(QStringLiteral("act_entfernte"));
    m_historyAction->setEnabled(false);
    connect(m_remover->removeAction(), &QAction::triggered, this, &ViewerWindow::removeRecord);
    connect(m_remover, &RemoveAction::fileChanged, this, &ViewerWindow::afterRemoval);
    connect(m_follower, &FileFollower::changed, this, &ViewerWindow::reloadFile);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ViewerWindow::showRecord);
    connect(m_problems, &QListView::clicked, this, &ViewerWindow::showProblem);
    connect(m_problems, &QListView::activated, this, &ViewerWindow::showProblem);
    connect(m_problems, &QWidget::customContextMenuRequested, this, &ViewerWindow::showProblemMenu);
    connect(m_repairer, &RepairAction::fileChanged, this, [this](const QString &note) {
        m_noteAfterRead = note;
        reloadFile();
    });

    m_loader = new FileLoader(this);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(200);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"));
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_cancel);
    // The file's counts stay in the status bar: a temporary message, which a menu's status tips
    // clear, stands beside them.
    m_counts = new QLabel(QStringLiteral("Keine Datei geöffnet"));
    m_counts->setObjectName(QStringLiteral("lbl_anzahlen"));
    m_counts->setAccessibleName(QStringLiteral("Anzahlen der Datei"));
    m_counts->setTextFormat(Qt::PlainText);
    // In a narrow window the counts are cut rather than the window kept wide.
    m_counts->setMinimumWidth(1);
    statusBar()->addPermanentWidget(m_counts);
    m_progress->hide();
    m_cancel->hide();
    connect(m_loader, &FileLoader::progress, m_progress, &QProgressBar::setValue);
    connect(m_loader, &FileLoader::finished, this, &ViewerWindow::loaded);
    connect(m_cancel, &QPushButton::clicked, m_loader, &FileLoader::cancel);

    // As large as suits a file of many records, as far as the screen allows with room for the
    // frame; placed like the program's other windows.
    const QScreen *screen = this->screen();
    const QSize room = screen ? screen->availableGeometry().size() - QSize(24, 48) : QSize(1000, 680);
    resize(std::min(1000, room.width()), std::min(680, room.height()));
}

ViewerWindow::~ViewerWindow() = default;

bool ViewerWindow::openFile(const QString &path)
{
    QString error;
    std::optional<ProbeFile> file = ProbeFile::read(path, &error, {.bytesOnDisk = true});
    if (!file) {
        QMessageBox::critical(this, windowTitle(), error);
        return false;
    }
    showFile(std::move(*file), path);
    return true;
}

void ViewerWindow::loadFile(const QString &path)
{
    statusBar()->showMessage(QStringLiteral("%1 wird gelesen …").arg(QDir::toNativeSeparators(path)));
    m_progress->setValue(0);
    m_progress->show();
    m_cancel->show();
    m_reloading = false;
    m_loader->start(path);
}

void ViewerWindow::loaded(bool ok, const QString &error)
{
    if (std::exchange(m_reloading, false)) {
        showReloaded(ok ? m_loader->takeFile() : std::nullopt, m_loader->path(), error, ok && m_loader->unchanged());
        return;
    }
    m_progress->hide();
    m_cancel->hide();
    if (ok) {
        if (std::optional<ProbeFile> file = m_loader->takeFile()) {
            showFile(std::move(*file), m_loader->path());
        }
        return;
    }
    statusBar()->showMessage(
        error.isEmpty() ? QStringLiteral("Lesen abgebrochen: %1").arg(QDir::toNativeSeparators(m_loader->path()))
                        : QString());
    if (!error.isEmpty()) {
        QMessageBox::critical(this, windowTitle(), error);
    }
}

void ViewerWindow::showFile(ProbeFile file, const QString &path)
{
    m_model->setFile(nullptr);
    m_problemModel->setFile(nullptr);
    FileLoader::release(std::exchange(m_file, std::move(file)));
    m_path = path;
    m_follower->follow(path);
    m_remover->setPath(path);
    m_historyAction->setEnabled(true);
    m_catalogue->setFile(&*m_file, path);
    m_model->setFile(&*m_file);
    m_problemModel->setFile(&*m_file);
    m_nameFit->setRows(m_file->longestKeys());
    m_drawing->clear();
    m_text->clear();
    setWindowTitle(QStringLiteral("%1 – %2").arg(QFileInfo(path).fileName(), kViewerName));
    statusBar()->clearMessage();
    showCounts();
    if (m_file->recordCount() > 0) {
        selectRecord(0);
    }
}

void ViewerWindow::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Tasterdatei öffnen"), QString(),
                                                      QStringLiteral("Tasterdateien (*.dat);;Alle Dateien (*)"));
    if (!path.isEmpty()) {
        loadFile(path);
    }
}

void ViewerWindow::selectRecord(qsizetype record)
{
    if (!m_file || record < 0 || record >= m_file->recordCount()) {
        return;
    }
    const QModelIndex index = m_model->index(int(record), 0);
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(index);
}

void ViewerWindow::showRecord(const QModelIndex &current)
{
    m_sheetAction->setEnabled(m_file && current.isValid());
    m_remover->setRecordChosen(m_file && current.isValid());
    if (!m_file || !current.isValid()) {
        m_drawing->clear();
        m_text->clear();
        return;
    }
    m_drawing->setLines(m_file->lines(current.row()));
    const ProbeFile::Record &record = m_file->record(current.row());
    // Each line with its number, as the problems name them.
    QStringList numbered;
    const QStringList lines = m_file->text(current.row()).split(QLatin1Char('\n'));
    const int width = int(QString::number(record.firstLine + record.lineCount).size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        numbered << QStringLiteral("%1  %2").arg(record.firstLine + 1 + i, width).arg(visible(lines.at(i)));
    }
    m_text->setPlainText(numbered.join(QLatin1Char('\n')));
}

void ViewerWindow::showProblem(const QModelIndex &index)
{
    if (m_file && index.isValid() && index.data(ProblemListModel::LineRole).isValid()) {
        const int line = index.data(ProblemListModel::LineRole).toInt();
        selectRecord(m_file->recordAtLine(line, index.data(ProblemListModel::MidLineRole).toBool()));
        // The problem's line among the record's lines, when it is one of them.
        const QModelIndex current = m_table->currentIndex();
        if (current.isValid()) {
            const ProbeFile::Record record = m_file->record(current.row());
            const int block = line - int(record.firstLine) - 1;
            if (block >= 0 && block < int(record.lineCount)) {
                QTextCursor cursor(m_text->document()->findBlockByNumber(block));
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                m_text->setTextCursor(cursor);
            }
        }
    }
}

int ViewerWindow::problemLine() const
{
    const QModelIndex index = m_problems->currentIndex();
    return m_file && index.isValid() && index.data(ProblemListModel::LineRole).isValid()
               ? index.data(ProblemListModel::LineRole).toInt()
               : 0;
}

QMenu *ViewerWindow::problemMenu()
{
    const int line = problemLine();
    return line > 0 ? m_repairer->menuFor(m_path, *m_file, line, this) : nullptr;
}

void ViewerWindow::showProblemMenu(const QPoint &at)
{
    const QModelIndex index = m_problems->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    m_problems->setCurrentIndex(index);
    showProblem(index);
    if (QMenu *menu = problemMenu()) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_problems->viewport()->mapToGlobal(at));
    }
}

void ViewerWindow::repairProblem()
{
    if (const int line = problemLine(); line > 0) {
        m_repairer->repair(m_path, *m_file, line);
    }
}

bool ViewerWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Entf in the problem list is the list's own: the window's "Eintrag entfernen" does not see it.
    if (watched == m_problems && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Delete)) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                repairProblem();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void ViewerWindow::saveDataSheet()
{
    const QModelIndex current = m_table->currentIndex();
    if (!m_file || !current.isValid()) {
        return;
    }
    const QFileInfo source(m_path);
    QString name = visible(m_file->name(current.row())).trimmed();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString suggested = source.dir().filePath(QStringLiteral("Datenblatt %1.pdf").arg(name));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Datenblatt als PDF speichern"), suggested,
                                                      QStringLiteral("PDF-Dateien (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    QString error = outputRefusal(path, m_path, pdfOutput());
    if (!error.isEmpty()) {
        QMessageBox::critical(this, windowTitle(), error);
        return;
    }
    if (!writeDataSheet(path, {&*m_file, current.row(), source.fileName(), QDate::currentDate()}, &error)) {
        QMessageBox::critical(this, windowTitle(), error);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Datenblatt gespeichert: %1").arg(QDir::toNativeSeparators(path)));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Das Datenblatt ist gespeichert, aber kein PDF-Programm hat es "
                                                "geöffnet:\n%1")
                                     .arg(QDir::toNativeSeparators(path)));
    }
}

void ViewerWindow::reloadFile()
{
    // A file being opened is read as it is now anyway; the one shown then gives way to it.
    if (m_path.isEmpty() || (m_loader->isLoading() && !m_reloading)) {
        return;
    }
    m_reloading = true;
    if (!m_file) {
        m_loader->start(m_path);
        return;
    }
    // The chosen record is found again in the reading's thread: on a large file, naming it and
    // searching for it would stall the window. The file shown is given as a copy, which reads its
    // bytes on its own, since the window may free its own before the reading ends.
    m_rowAtReload = m_table->currentIndex().row();
    FileLoader::Locate locate;
    if (m_chooseAfterRead) {
        locate = [key = *m_chooseAfterRead](const ProbeFile &file) {
            return findRecord(file, key);
        };
    } else if (m_rowAtReload >= 0) {
        locate = [before = *m_file, row = m_rowAtReload](const ProbeFile &file) {
            return findRecord(file, recordKey(before, row));
        };
    }
    m_loader->start(m_path, m_file->fingerprint(), std::move(locate));
}

QString ViewerWindow::countsLine() const
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path),
                                        countText(m_file->recordCount(), m_file->problemCount(), m_file->hintCount()));
}

void ViewerWindow::showCounts()
{
    // A long path gives way to the counts in its middle, so that it does not widen the window;
    // the tool tip names it whole.
    const QFontMetrics metrics = m_counts->fontMetrics();
    const QString path =
        metrics.elidedText(QDir::toNativeSeparators(m_path), Qt::ElideMiddle, kPathShown * metrics.averageCharWidth());
    m_counts->setText(QStringLiteral("%1: %2").arg(
        path, countText(m_file->recordCount(), m_file->problemCount(), m_file->hintCount())));
    m_counts->setToolTip(countsLine());
    m_counts->show();
    // A change in place that was cut short is left to the next copy that appends or changes; the
    // window only says so.
    const std::filesystem::path file = QDir::toNativeSeparators(m_path).toStdU16String();
    if (hasUnfinishedChange(file)) {
        statusBar()->showMessage(
            unfinishedChangeText(QString::fromStdU16String(changeNotePath(file).filename().u16string())));
    }
}

void ViewerWindow::showReloaded(std::optional<ProbeFile> file, const QString &path, const QString &error,
                                bool unchanged)
{
    const std::optional<RecordKey> chosen = std::exchange(m_chooseAfterRead, std::nullopt);
    const QString note = std::exchange(m_noteAfterRead, QString());
    if (path != m_path || !m_file) {
        FileLoader::release(std::move(file));
        return; // another file was opened meanwhile
    }
    if (unchanged) {
        // Read again without a change (a second notice of the same change, or F5): nothing moves.
        if (!note.isEmpty()) {
            statusBar()->showMessage(note);
        }
        showCounts();
        return;
    }
    if (!file) {
        statusBar()->showMessage(QStringLiteral("Die Datei konnte nicht neu eingelesen werden: %1").arg(error));
        return;
    }
    // Found while reading, unless the operator chose another record meanwhile.
    const qsizetype current = m_table->currentIndex().row();
    const std::optional<qsizetype> located =
        current == m_rowAtReload ? m_loader->located() : std::optional<qsizetype>();
    const RecordKey key = located ? RecordKey() : chosen.value_or(recordKey(*m_file, current));
    const int scrolled = m_table->verticalScrollBar()->value();
    m_model->setFile(nullptr);
    m_problemModel->setFile(nullptr);
    FileLoader::release(std::exchange(m_file, std::move(file)));
    m_model->setFile(&*m_file);
    m_problemModel->setFile(&*m_file);
    m_nameFit->setRows(m_file->longestKeys());
    m_table->verticalScrollBar()->setValue(scrolled);
    m_remover->fileRead(*m_file);
    const qsizetype row = located ? *located : findRecord(*m_file, key);
    if (row >= 0) {
        selectRecord(row);
    } else {
        showRecord({});
    }
    if (note.isEmpty()) {
        statusBar()->clearMessage();
    } else {
        statusBar()->showMessage(note);
    }
    showCounts();
}

void ViewerWindow::removeRecord()
{
    const QModelIndex current = m_table->currentIndex();
    if (m_file && current.isValid()) {
        m_remover->remove(m_path, *m_file, current.row());
    }
}

void ViewerWindow::showHistory()
{
    if (m_path.isEmpty()) {
        return;
    }
    HistoryDialog dialog(m_path, this);
    connect(&dialog, &HistoryDialog::fileChanged, this, [this](const QString &note) {
        m_noteAfterRead = note;
        reloadFile();
    });
    dialog.exec();
}

void ViewerWindow::afterRemoval(const RecordKey &key, const QString &note)
{
    m_chooseAfterRead = key;
    m_noteAfterRead = note;
    reloadFile();
}

} // namespace merivox
