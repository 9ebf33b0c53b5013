#pragma once

#include "ProbeRecord.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStackedLayout;

namespace merivox {

class PreviewDrawing;

// The preview beside the editor (Vorschau): the component that "Erstellen" would write, drawn to
// scale, with the notes on it and the exact record text below; or, while the inputs are not yet
// complete, what is missing. It only shows what it is given.
class PreviewWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewWindow)

public:
    explicit PreviewWindow(QWidget *parent = nullptr);
    ~PreviewWindow() override;

    // The record's lines as they would be appended, the same lines as the reader reads them back
    // (for the drawing), and the plausibility notes.
    void showRecord(const QStringList &lines, const QList<RecordLine> &readBack, const QStringList &notes);
    // What keeps "Erstellen" from writing, one entry each; of those, the ones in wrong are listed
    // as what is to be changed rather than as missing.
    void showMissing(const QStringList &missing, const QStringList &wrong = {});
    // The status line of usrprobe.dat in the editor's folder and the notes on the file itself.
    void showFile(const QString &status, const QStringList &notes);
    // The records of the editor's kind in usrprobe.dat, offered as templates ("TIP – M3 (Zeile 12)");
    // the list is hidden while there are none. A list that changes drops the chosen one's notes.
    // found, where more than the titles, is how many the file holds. first, where not empty, is an
    // entry put before the file's, whether or not the file offers any.
    void showTemplates(const QStringList &titles, qsizetype found = 0, const QString &first = {});
    // What the chosen template could not give the editor as it stands in the file.
    void showTemplateNotes(const QStringList &notes);
    // Gives the focus to the template list, or where there is none to the record text.
    void takeFocus();

signals:
    // Esc was pressed in the preview: the editor takes the focus back.
    void focusReturned();
    // The operator chose the template at this place of the list.
    void templateChosen(int index);

public:
    // The record text shown, its lines joined by "\n"; empty while something is missing.
    QString recordText() const;

    QSize sizeHint() const override { return {kWidth, 600}; }
    static constexpr int kWidth = 380;
    static constexpr int kMinimumWidth = 240;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    PreviewDrawing *m_drawing = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_templateCaption = nullptr;
    QComboBox *m_templates = nullptr;
    QLabel *m_templateNotes = nullptr;
    QLabel *m_fileNotes = nullptr;
    QLabel *m_missing = nullptr;
    QStackedLayout *m_pictureOrMissing = nullptr;
    QLabel *m_notes = nullptr;
    QPlainTextEdit *m_text = nullptr;
};

} // namespace merivox
