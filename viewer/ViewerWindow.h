#pragma once

#include "ProbeFile.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace merivox {

class FileLoader;
class ProblemListModel;
class RecordTableModel;
class RecordView;

// Shows a probe file: its records in a table, the chosen record drawn to scale and as text, and
// the file's problems with their line numbers. Clicking a problem chooses its record. The file
// is only read, never written.
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

private:
    void showFile(ProbeFile file, const QString &path);
    void loaded(bool ok, const QString &error);
    void showRecord(const QModelIndex &current);
    void showProblem(const QModelIndex &index);

    std::optional<ProbeFile> m_file;
    QString m_path;
    QAction *m_sheetAction = nullptr;
    RecordTableModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    RecordView *m_drawing = nullptr;
    QPlainTextEdit *m_text = nullptr;
    ProblemListModel *m_problemModel = nullptr;
    QListView *m_problems = nullptr;
    FileLoader *m_loader = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace merivox
