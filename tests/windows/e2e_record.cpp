// e2e_record FOLDER: one record made the way the operator makes it, through the selection window
// and the editor on the platform the program runs on, appended to FOLDER/usrprobe.dat. Built on
// every platform; the Windows build's test compares the file with the one the Linux build writes.
#include "EditorWindow.h"
#include "FolderList.h"
#include "SelectionWindow.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QTextStream>

using namespace merivox;
using namespace merivox::test;

// Key by key, as typed; a letter without a key of its own comes as the text of a key event.
static void type(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, char(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Merivox"));
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: e2e_record FOLDER\n";
        return 2;
    }
    EditorState state;
    SelectionWindow selection(state, QLocale(QLocale::German, QLocale::Germany));
    selection.show();
    if (!QTest::qWaitForWindowExposed(&selection)) {
        err << "the selection window did not show\n";
        return 1;
    }
    QTest::mouseClick(child(&selection, "cmd_kug"), Qt::LeftButton);
    auto *editor = openWindow<EditorWindow>("Form2");
    if (!editor || !QTest::qWaitForWindowExposed(editor)) {
        err << "the editor did not open\n";
        return 1;
    }
    // A name with letters of the code page, decimal commas.
    type(child(editor, "txt_id"), QStringLiteral("Wä10 Ø"));
    auto *thread = child<QComboBox>(editor, "cb_gew");
    thread->setCurrentIndex(thread->findText(QStringLiteral("M3")));
    const std::pair<const char *, const char *> dimensions[] = {{"txt_L1", "10,5"}, {"txt_l2", "15"}, {"txt_l3", "40,25"},
                                                                {"txt_d1", "4"},    {"txt_d2", "2"},  {"txt_kd", "3,5"}};
    for (const auto &[field, text] : dimensions) {
        type(child(editor, field), QString::fromLatin1(text));
    }
    QTest::mouseClick(child(editor, "Check_KFS"), Qt::LeftButton);
    QTest::mouseClick(child(editor, "Option_RK"), Qt::LeftButton);
    if (!child<FolderList>(editor, "Dir1")->setPath(QString::fromLocal8Bit(argv[1]))) {
        err << "the folder cannot be opened\n";
        return 1;
    }
    BoxAnswerer answerer;
    QTest::mouseClick(child(editor, "cmd_load"), Qt::LeftButton);
    if (answerer.boxes().size() != 1 || answerer.boxes().first().icon != QMessageBox::NoIcon) {
        for (const SeenBox &box : answerer.boxes()) {
            err << "message: " << box.text << '\n';
        }
        err << "the record was not confirmed\n";
        return 1;
    }
    return 0;
}
