#include "PreviewWindow.h"

#include "Accessibility.h"
#include "Controls.h"
#include "Pictures.h"
#include "RecordDrawing.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace merivox {

// The drawing of the record, as large as fits, to scale.
class PreviewDrawing final : public QWidget
{
public:
    explicit PreviewDrawing(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("vorschau_zeichnung"));
        setAccessibleName(QStringLiteral("Maßstäbliche Zeichnung"));
        setMinimumSize(160, 200);
    }
    void setLines(const QList<RecordLine> &lines)
    {
        m_drawing.emplace(lines);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (m_drawing) {
            m_drawing->paintFitted(painter, QRectF(rect()).adjusted(6, 6, -6, -6));
        }
    }

private:
    std::optional<RecordDrawing> m_drawing;
};

namespace {

// A box of notes: plain text in dark brown on a pale yellow ground within a 1-pixel amber
// border. Painted here rather than by a style sheet, whose engine and parsed rules alone cost the
// editor some 300 kB.
class NoteBox final : public QLabel
{
public:
    explicit NoteBox(QWidget *parent) : QLabel(parent)
    {
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, QColor(0x5c, 0x3c, 0x00));
        setPalette(colours);
        setContentsMargins(1, 1, 1, 1); // the border
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        {
            QPainter painter(this);
            painter.fillRect(rect(), QColor(0xff, 0xf4, 0xce));
            painter.setPen(QColor(0xd9, 0xa4, 0x00));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        QLabel::paintEvent(event);
    }
};

// A box of notes, hidden while there are none.
QLabel *noteBox(QWidget *parent, const char *objectName, const QString &accessibleName)
{
    auto *notes = named(new NoteBox(parent), objectName);
    notes->setAccessibleName(accessibleName);
    notes->setWordWrap(true);
    notes->setFont(arial(10.5));
    notes->setTextFormat(Qt::PlainText);
    notes->setMargin(6);
    notes->hide();
    return notes;
}

// The upper part of the preview within its scroll area: as tall as its parts need at the width
// that they are given, wrapped notes included, so that the area scrolls rather than squeezing them.
class ScrolledContents final : public QWidget
{
public:
    explicit ScrolledContents(QWidget *parent) : QWidget(parent) {}

protected:
    bool event(QEvent *event) override
    {
        if ((event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize) && layout() && !m_fitting) {
            // Once the layout has placed the parts: a new least height makes the area lay it out again.
            m_fitting = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_fitting = false;
                    if (const int height = neededHeight(); height != minimumHeight()) {
                        setMinimumHeight(height);
                    }
                },
                Qt::QueuedConnection);
        }
        return QWidget::event(event);
    }

private:
    // The layout's own answer for a width passes over the drawing's least height below a wrapped
    // text: each shown part is counted here with the larger of the two.
    int neededHeight() const
    {
        const QLayout &parts = *layout();
        const QMargins margins = parts.contentsMargins();
        const int width = this->width() - margins.left() - margins.right();
        int height = margins.top() + margins.bottom();
        int shown = 0;
        for (int i = 0; i < parts.count(); ++i) {
            QLayoutItem *part = parts.itemAt(i);
            if (part->isEmpty()) {
                continue;
            }
            int partHeight = part->minimumSize().height();
            if (part->hasHeightForWidth()) {
                partHeight = std::max(partHeight, part->heightForWidth(width));
            }
            height += partHeight;
            ++shown;
        }
        return height + std::max(shown - 1, 0) * parts.spacing();
    }

    bool m_fitting = false;
};

} // namespace

// A dialog-type window, so that the window system keeps it above its editor (transient for it)
// and above nothing else.
PreviewWindow::PreviewWindow(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("Vorschau"));
    setWindowTitle(QStringLiteral("Merivox – Vorschau"));
    setAccessibleName(QStringLiteral("Vorschau des Eintrags"));
    setAccessibleDescription(
        QStringLiteral("Zeigt maßstäblich und als Text, was „Erstellen“ in die Datei schreiben würde."));
    setWindowIcon(programIcon());
    setToolTip(QStringLiteral("F6 im Editor zeigt die Vorschau wieder und gibt ihr den Fokus; Esc gibt ihn dem "
                              "Editor zurück."));
    // It follows the editor; it neither takes the focus from it nor keeps the program running.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);

    // The record text stays whole, at its full height, however many notes stand above it: they
    // and the drawing scroll within the window as it is placed, which never grows past its place.
    auto *scroll = named(new QScrollArea(this), "vorschau_rollbereich");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    auto *content = new ScrolledContents(scroll);

    m_status = named(new QLabel(content), "vorschau_datei");
    m_status->setAccessibleName(QStringLiteral("Zustand von usrprobe.dat"));
    m_status->setWordWrap(true);
    m_status->setFont(arial(10.5));
    m_status->setTextFormat(Qt::PlainText);
    m_templateCaption = named(new QLabel(QStringLiteral("Vorlage:"), content), "vorschau_vorlage_titel");
    m_templateCaption->setFont(arial(10.5));
    m_templates = named(new QComboBox(content), "vorschau_vorlage");
    nameControl(m_templates, QStringLiteral("Vorlage aus usrprobe.dat"));
    m_templates->setAccessibleDescription(QStringLiteral("Ein Eintrag dieser Art aus usrprobe.dat füllt die Eingaben "
                                                         "des Editors; die Benennung nur, wenn sie leer ist."));
    m_templates->setPlaceholderText(QStringLiteral("Eintrag als Vorlage wählen …"));
    m_templates->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_templates->setMinimumContentsLength(12);
    m_templateCaption->setBuddy(m_templates);
    connect(m_templates, &QComboBox::activated, this, &PreviewWindow::templateChosen);
    m_templateNotes = noteBox(content, "vorschau_vorlagenhinweise", QStringLiteral("Hinweise zur Vorlage"));
    m_templateCaption->hide();
    m_templates->hide();

    m_fileNotes = noteBox(content, "vorschau_dateihinweise", QStringLiteral("Hinweise zur Datei"));

    m_drawing = new PreviewDrawing(content);
    m_missing = named(new QLabel(content), "vorschau_fehlt");
    m_missing->setAccessibleName(QStringLiteral("Fehlende Angaben"));
    m_missing->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_missing->setWordWrap(true);
    m_missing->setMargin(12);
    m_missing->setFont(arial(10.5));
    m_missing->setAutoFillBackground(true);
    m_missing->setBackgroundRole(QPalette::Base);
    m_pictureOrMissing = new QStackedLayout;
    m_pictureOrMissing->addWidget(m_drawing);
    m_pictureOrMissing->addWidget(m_missing);

    m_notes = noteBox(content, "vorschau_hinweise", QStringLiteral("Hinweise zur Plausibilität"));

    auto *caption = named(new QLabel(QStringLiteral("Eintrag in usrprobe.dat:"), this), "vorschau_titel");
    caption->setFont(arial(10.5));
    m_text = named(new QPlainTextEdit(this), "vorschau_text");
    m_text->setAccessibleName(QStringLiteral("Text des Eintrags"));
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::ClickFocus); // the editor keeps the Tab key to itself
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The longest record, the cube's, has 14 lines; below them the bar that scrolls a long line.
    m_text->setFixedHeight(QFontMetrics(m_text->font()).lineSpacing() * 14 + 12 +
                           m_text->horizontalScrollBar()->sizeHint().height());
    caption->setBuddy(m_text);

    // Above, what scrolls: the file, the templates, the drawing or what is missing, the notes.
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_status);
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_templateCaption);
    templateRow->addWidget(m_templates, 1);
    layout->addLayout(templateRow);
    layout->addWidget(m_templateNotes);
    layout->addWidget(m_fileNotes);
    layout->addLayout(m_pictureOrMissing, 1);
    layout->addWidget(m_notes);
    scroll->setWidget(content);
    // Below, always whole: the record text.
    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 8);
    window->setSpacing(0);
    window->addWidget(scroll, 1);
    auto *record = new QVBoxLayout;
    record->setContentsMargins(8, 0, 8, 0);
    record->addWidget(caption);
    record->addWidget(m_text);
    window->addLayout(record);
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::showRecord(const QStringList &lines, const QList<RecordLine> &readBack, const QStringList &notes)
{
    m_drawing->setLines(readBack);
    m_pictureOrMissing->setCurrentWidget(m_drawing);
    m_notes->setText(notes.isEmpty() ? QString()
                                     : QStringLiteral("Hinweis: ") + notes.join(QStringLiteral("\nHinweis: ")));
    m_notes->setVisible(!notes.isEmpty());
    const QString text = lines.join(u'\n');
    if (m_text->toPlainText() != text) {
        m_text->setPlainText(text);
    }
}

void PreviewWindow::showMissing(const QStringList &missing, const QStringList &wrong)
{
    QStringList absent = missing;
    for (const QString &entry : wrong) {
        absent.removeOne(entry);
    }
    QStringList parts;
    if (!absent.isEmpty()) {
        parts.append(QStringLiteral("Es fehlt:\n\n• ") + absent.join(QStringLiteral("\n• ")));
    }
    if (!wrong.isEmpty()) {
        parts.append(QStringLiteral("Zu ändern:\n\n• ") + wrong.join(QStringLiteral("\n• ")));
    }
    m_missing->setText(QStringLiteral("Noch keine Vorschau. ") + parts.join(QStringLiteral("\n\n")));
    m_pictureOrMissing->setCurrentWidget(m_missing);
    m_notes->clear();
    m_notes->hide();
    m_text->clear();
}

void PreviewWindow::showFile(const QString &status, const QStringList &notes)
{
    m_status->setText(status);
    m_fileNotes->setText(notes.isEmpty() ? QString()
                                         : QStringLiteral("Hinweis: ") + notes.join(QStringLiteral("\nHinweis: ")));
    m_fileNotes->setVisible(!notes.isEmpty());
}

void PreviewWindow::showTemplates(const QStringList &titles, qsizetype found, const QString &first)
{
    m_templates->setPlaceholderText(
        found > titles.size() ? QStringLiteral("Vorlage wählen (die letzten %1 von %2) …").arg(titles.size()).arg(found)
                              : QStringLiteral("Eintrag als Vorlage wählen …"));
    QStringList entries = titles;
    if (!first.isEmpty()) {
        entries.prepend(first);
    }
    QStringList shown;
    for (int i = 0; i < m_templates->count(); ++i) {
        shown.append(m_templates->itemText(i));
    }
    if (shown != entries) {
        m_templates->clear();
        m_templates->addItems(entries);
        m_templates->setCurrentIndex(-1);
        showTemplateNotes({});
    }
    m_templateCaption->setVisible(!entries.isEmpty());
    m_templates->setVisible(!entries.isEmpty());
}

void PreviewWindow::showTemplateNotes(const QStringList &notes)
{
    m_templateNotes->setText(notes.isEmpty() ? QString()
                                             : QStringLiteral("Vorlage: ") + notes.join(QStringLiteral("\nVorlage: ")));
    m_templateNotes->setVisible(!notes.isEmpty());
}

void PreviewWindow::takeFocus()
{
    if (m_templates->count() > 0) {
        m_templates->setFocus(Qt::ShortcutFocusReason);
    } else {
        m_text->setFocus(Qt::ShortcutFocusReason);
    }
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit focusReturned();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString PreviewWindow::recordText() const
{
    return m_text->toPlainText();
}

} // namespace merivox
