#include "EditorPreview.h"

#include "FileWatch.h"
#include "NumberText.h"
#include "PlausibilityNotes.h"
#include "PreviewWindow.h"
#include "ProbeFile.h"
#include "ReadBack.h"
#include "UnwritableText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace merivox {

namespace {

constexpr int kGap = 8;
// How long after it opened the preview hands an activation on to the editor.
constexpr int kOpeningMs = 100;

// The text of the input that a failed check names.
QString inputText(const EditorPort &editor, const CreateFailure &failure)
{
    switch (failure.field) {
    case InputField::Name:
        return editor.nameText();
    case InputField::Thread:
        return editor.threadText();
    case InputField::Thread2:
        return editor.thread2Text();
    case InputField::Dimension:
        return editor.dimensionText(*failure.emptied);
    case InputField::None:
        break;
    }
    return {};
}

// A decimal separator by its name: "Punkt", "Komma", or itself in quotes.
QString separatorName(QChar separator)
{
    if (separator == u',') {
        return QStringLiteral("Komma");
    }
    return separator == u'.' ? QStringLiteral("Punkt") : QStringLiteral("„%1“").arg(separator);
}

// What is wrong with an input that holds text, where it can be said more exactly than "missing":
// a character the file cannot take, or a number written with the other decimal separator.
QString wrongEntry(const EditorPort &editor, const CreateFailure &failure, const QLocale &locale)
{
    if (failure.empty || failure.field == InputField::None) {
        return {};
    }
    const QString text = inputText(editor, failure);
    if (const QString character = unwritableCharacter(text); !character.isEmpty()) {
        QString sentence = QStringLiteral("%1 kann nicht in usrprobe.dat geschrieben werden").arg(character);
        sentence[0] = sentence[0].toUpper();
        return QStringLiteral("%1: %2.").arg(failure.caption, sentence);
    }
    if (failure.field == InputField::Dimension) {
        if (const std::optional<QString> expected = withLocaleSeparator(text.trimmed(), locale)) {
            const QChar decimal = locale.decimalPoint().front();
            return QStringLiteral("%1: Eingegeben ist „%2“ mit %3; einzugeben ist „%4“ mit %5.")
                .arg(failure.caption, text.trimmed(), separatorName(decimal == u',' ? u'.' : u','), *expected,
                     separatorName(decimal));
        }
    }
    return {};
}

QString missingEntry(const CreateFailure &failure)
{
    if (failure.empty) {
        return failure.caption;
    }
    return failure.field == InputField::Dimension ? failure.caption + QStringLiteral(" (keine Zahl)") : failure.message;
}

} // namespace

QString typedInputTitle(const QTime &time)
{
    return QStringLiteral("Letzte Eingabe, nicht geschrieben (%1 Uhr)").arg(time.toString(QStringLiteral("HH:mm")));
}

PreviewContent previewContent(const EditorPort &editor, const EditorState &state, const QLocale &locale,
                              const FileSummary *file)
{
    PreviewContent content;
    const CreatePlan plan = planCreateCommand(editor, state, locale);
    for (const CreateFailure &failure : plan.failures) {
        const QString wrong = wrongEntry(editor, failure, locale);
        content.missing.append(wrong.isEmpty() ? missingEntry(failure) : wrong);
        if (!wrong.isEmpty()) {
            content.wrong.append(wrong);
        }
    }
    if (!plan.record) {
        if (content.missing.isEmpty()) {
            content.missing.append(QStringLiteral("die Art des Teils"));
        }
        return content;
    }
    content.lines = plan.record->lines;
    if (file) {
        if (const QString twin = duplicateNote(*file, content.lines.value(0)); !twin.isEmpty()) {
            content.notes.append(twin);
        }
    }
    const ProbeFile readBack = ProbeFile::fromLines(content.lines);
    if (readBack.recordCount() > 0) {
        content.readBack = readBack.lines(0);
    }
    for (const PlausibilityNote &note : plausibilityNotes(*plan.inputs, locale)) {
        content.notes.append(note.text);
    }
    // What will not read back as it was meant, said before it is written.
    content.notes.append(readBackNotes(content.lines, plan.inputs->name, plan.inputs->thread, locale));
    return content;
}

QRect previewFrame(const QRect &editorFrame, int inputsLeft, const QRect &screen, int width, int minimumWidth)
{
    const int height = std::min(editorFrame.height(), screen.height());
    const int top = std::clamp(editorFrame.top(), screen.top(), screen.bottom() + 1 - height);
    const int rightRoom = screen.right() - editorFrame.right() - kGap;
    if (rightRoom >= minimumWidth) {
        return {editorFrame.right() + 1 + kGap, top, std::min(width, rightRoom), height};
    }
    const int leftRoom = editorFrame.left() - kGap - screen.left();
    if (leftRoom >= minimumWidth) {
        const int used = std::min(width, leftRoom);
        return {editorFrame.left() - kGap - used, top, used, height};
    }
    // No room on either side: over the selection window and the editor's drawing, never further.
    const int room = std::max(inputsLeft - kGap - screen.left(), 1);
    return {screen.left(), top, std::min(width, room), height};
}

EditorPreview::EditorPreview(QWidget &editor, const EditorPort &port, const EditorState &state, const QLocale &locale,
                             int inputsLeft)
    : QObject(&editor), m_editor(editor), m_port(port), m_state(state), m_locale(locale), m_inputsLeft(inputsLeft),
      m_window(new PreviewWindow(&editor)), m_file(new FileWatch(&appendAccess, this))
{
    m_editor.installEventFilter(this);
    m_window->installEventFilter(this);
    connect(m_file, &FileWatch::summarized, this, &EditorPreview::onSummary);
    connect(m_window, &PreviewWindow::focusReturned, this, [this] {
        m_editor.activateWindow();
        m_editor.raise();
    });
    connect(m_window, &PreviewWindow::templateChosen, this, &EditorPreview::onTemplateChosen);
    if (m_state.tip_type) {
        m_file->offerTemplates(*m_state.tip_type);
        if (const auto kept = m_state.unwritten.find(*m_state.tip_type); kept != m_state.unwritten.end()) {
            m_unwritten = kept->second;
        }
    }
    showTemplates();
    auto *show = new QShortcut(QKeySequence(kShowKey), &m_editor);
    show->setContext(Qt::WindowShortcut);
    connect(show, &QShortcut::activated, this, &EditorPreview::bringBack);
}

void EditorPreview::setFolder(const QString &folder)
{
    if (folder == m_folder) {
        return;
    }
    m_folder = folder;
    m_summary.reset(); // the other folder's file says nothing about this one
    showTemplates();
    if (m_editorShown) {
        m_file->follow(m_folder);
        refresh();
    }
}

void EditorPreview::stopFollowingFile()
{
    m_file->stop();
}

void EditorPreview::bringBack()
{
    if (!m_window || !m_editorShown) {
        return;
    }
    m_closedByOperator = false;
    refresh();
    if (!m_window->isVisible()) {
        place();
        m_window->show();
    }
    m_window->raise();
    m_window->activateWindow();
    m_window->takeFocus();
}

void EditorPreview::onSummary(const SharedSummary &summary)
{
    m_summary = summary;
    showTemplates();
    refresh();
}

void EditorPreview::showTemplates()
{
    if (!m_window) {
        return;
    }
    QStringList titles;
    if (m_summary) {
        for (const RecordTemplate &record : m_summary->templates) {
            titles.append(templateTitle(record));
        }
    }
    m_window->showTemplates(titles, m_summary ? m_summary->templatesFound : 0,
                            m_unwritten ? typedInputTitle(m_unwritten->time) : QString());
}

void EditorPreview::onTemplateChosen(int index)
{
    if (m_unwritten) {
        if (index == 0) {
            m_window->showTemplateNotes({});
            emit typedInputChosen(*m_unwritten);
            return;
        }
        --index; // the file's templates follow it
    }
    if (!m_summary || index < 0 || index >= m_summary->templates.size()) {
        return;
    }
    const TemplateFill fill = templateFill(m_summary->templates.at(index), m_locale);
    m_window->showTemplateNotes(fill.notes);
    emit templateChosen(fill);
}

void EditorPreview::watch(std::span<QWidget *const> inputs)
{
    for (QWidget *input : inputs) {
        if (auto *field = qobject_cast<QLineEdit *>(input)) {
            connect(field, &QLineEdit::textChanged, this, &EditorPreview::refresh);
        } else if (auto *list = qobject_cast<QComboBox *>(input)) {
            connect(list, &QComboBox::editTextChanged, this, &EditorPreview::refresh);
        } else if (auto *button = qobject_cast<QAbstractButton *>(input)) {
            connect(button, &QAbstractButton::toggled, this, &EditorPreview::refresh);
        }
    }
}

void EditorPreview::refresh()
{
    if (!m_editorShown || !m_window) {
        return;
    }
    const PreviewContent content = previewContent(m_port, m_state, m_locale, m_summary.get());
    if (m_summary) {
        m_window->showFile(fileStatusText(*m_summary), fileNotes(*m_summary));
    } else {
        m_window->showFile(fileStatusText(FileSummary{}), {});
    }

    if (content.missing.isEmpty()) {
        m_window->showRecord(content.lines, content.readBack, content.notes);
    } else {
        m_window->showMissing(content.missing, content.wrong);
    }
}

bool EditorPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        // Only the operator closes it; the editor merely hides it.
        if (event->type() == QEvent::Close) {
            m_closedByOperator = true;
        } else if (event->type() == QEvent::WindowActivate && m_opening) {
            m_opening = false;
            m_editor.activateWindow();
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::Show:
        m_editorShown = true;
        if (!m_folder.isEmpty()) {
            m_file->follow(m_folder);
        }
        refresh();
        // Shown once the editor has asked to be mapped: a window manager that meets the preview
        // first would not know the window it is transient for, and would not keep it above.
        // It shows without being activated, so the editor keeps the focus.
        QTimer::singleShot(0, this, [this] {
            if (m_window && m_editorShown && !m_closedByOperator && !m_window->isVisible()) {
                place();
                m_window->show();
                m_window->raise();
                // Where the window system activates every window it shows, the editor takes it back.
                m_opening = true;
                QTimer::singleShot(kOpeningMs, this, [this] { m_opening = false; });
            }
        });
        break;
    case QEvent::Hide:
        m_editorShown = false;
        if (m_window) {
            m_window->hide();
        }
        break;
    case QEvent::WindowActivate:
        // Where the folder reports no change (some network shares), the file is read again at
        // the latest when the operator comes back to the editor.
        m_file->refresh();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (m_window && m_window->isVisible()) {
            place();
        }
        break;
    default:
        break;
    }
    return false;
}

void EditorPreview::place()
{
    const QScreen *screen = m_editor.screen();
    if (!screen) {
        return;
    }
    // Frame margins: the preview's own once it has a frame, else the editor's.
    const QWidget &framed = m_window->isVisible() ? static_cast<QWidget &>(*m_window) : m_editor;
    const QMargins margins(framed.geometry().left() - framed.frameGeometry().left(),
                           framed.geometry().top() - framed.frameGeometry().top(),
                           framed.frameGeometry().right() - framed.geometry().right(),
                           framed.frameGeometry().bottom() - framed.geometry().bottom());
    const int inputsLeft = m_editor.geometry().left() + m_inputsLeft;
    const QRect frame = previewFrame(m_editor.frameGeometry(), inputsLeft, screen->availableGeometry(),
                                     PreviewWindow::kWidth + margins.left() + margins.right(),
                                     PreviewWindow::kMinimumWidth + margins.left() + margins.right());
    m_window->setGeometry(frame.marginsRemoved(margins));
}

} // namespace merivox
