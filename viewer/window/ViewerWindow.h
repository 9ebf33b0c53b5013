#pragma once

#include "ProbeFile.h"
#include "RecordKey.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QLabel;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QProgressBar;
class QPushButton;
class QTableView;

namespace merivox {

class CatalogueAction;
class FileLoader;
class FileFollower;
class NameColumnFit;
class ProblemListModel;
class RecordTableModel;
class RecordView;
class RemoveAction;
class RepairAction;

// Shows a probe file: its records in a table, the chosen record drawn to scale and as text, and
// the file's problems with their line numbers. Clicking a problem chooses its record. The file is
// read again whenever it changes on disk; it is written only to take a record out or put it back.
class ViewerWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewerWindow)

public:
    explicit ViewerWindow(QWidget *parent = nullptr);
    ~ViewerWindow() override;

    // Reads the file and shows it; on failure shows why in a message box and keeps what was shown.
    bool openFile(const QString &path);
    // Reads the file in the background and shows it when read; meanwhile the status bar shows how
    // far the reading got, with "Abbrechen". A failure is shown as openFile shows it.
    void loadFile(const QString &path);
    // Asks for a file and opens it.
    void chooseFile();
    // Chooses the record in the table and shows it.
    void selectRecord(qsizetype record);
    // Asks where to save the chosen record's data sheet, writes it as a PDF and opens it in the
    // system's PDF viewer, from where it is printed.
    void saveDataSheet();
    // Reads the file shown again in the background and shows it once read, with the same record
    // chosen (by name, thread and which of several equal ones); on failure keeps what was shown.
    void reloadFile();
    // Asks, then takes the chosen record out of the file.
    void removeRecord();
    // "Entfernte Einträge …": the history's list, from which a record is put back.
    void showHistory();
    // Asks, then mends the problem chosen in the problem list (Entf there, or its context menu).
    void repairProblem();
    // The context menu of the problem chosen in the problem list, with its repair; null when none
    // is chosen. The caller owns it.
    QMenu *problemMenu();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFile(ProbeFile file, const QString &path);
    void loaded(bool ok, const QString &error);
    void showReloaded(std::optional<ProbeFile> file, const QString &path, const QString &error, bool unchanged);
    // "Pfad: 6 Einträge, 1 Problem" for the file shown.
    QString countsLine() const;
    // Shows the counts line in the status bar, where it stays beside temporary messages.
    void showCounts();
    void afterRemoval(const RecordKey &key, const QString &note);

    void showRecord(const QModelIndex &current);
    void showProblem(const QModelIndex &index);
    void showProblemMenu(const QPoint &at);
    // The line (1-based) of the problem chosen in the list; 0 for none.
    int problemLine() const;

    std::optional<ProbeFile> m_file;
    QString m_path;
    QAction *m_sheetAction = nullptr;
    CatalogueAction *m_catalogue = nullptr;
    QAction *m_historyAction = nullptr;
    RecordTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    NameColumnFit *m_nameFit = nullptr;
    RecordView *m_drawing = nullptr;
    QPlainTextEdit *m_text = nullptr;
    ProblemListModel *m_problemModel = nullptr;
    QListView *m_problems = nullptr;
    FileLoader *m_loader = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_counts = nullptr; // the counts line of the file shown
    FileFollower *m_follower = nullptr;
    // Whether the reading under way is of the file shown again, rather than of a file being opened.
    bool m_reloading = false;
    RemoveAction *m_remover = nullptr;
    RepairAction *m_repairer = nullptr;
    // What a removal asks the next reading to choose and to tell.
    std::optional<RecordKey> m_chooseAfterRead;
    qsizetype m_rowAtReload = -1; // the record chosen when the reading again began
    QString m_noteAfterRead;
};

} // namespace merivox
