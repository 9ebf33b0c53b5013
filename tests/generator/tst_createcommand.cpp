// The Create command against a stand-in editor that records, in order, every message, every
// emptied field and the request to close.
#include "AnsiText.h"
#include "CreateCommand.h"
#include "ProbeFile.h"
#include "ProbeFileEntries.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <map>
#include <set>

using namespace merivox;
using namespace merivox::test;

namespace {

using F = DimensionField;
using FieldTexts = std::map<F, QString>;

QString fieldName(F field)
{
    static const char *const names[] = {"L1", "L2", "L3", "D1", "D2", "ball", "length", "width", "L4"};
    return QString::fromLatin1(names[int(field)]);
}

// The kind of a tip_type code "1" to "6"; none for the empty text.
std::optional<TipKind> kindOf(const QString &tipType)
{
    return tipType.isEmpty() ? std::nullopt : std::optional(TipKind(tipType.toInt()));
}

// The fields that the editor enables for a kind: those of the kind's description (which
// tst_tipkinds holds against the layout), none for a kind outside the table.
std::set<F> enabledFor(std::optional<TipKind> kind)
{
    std::set<F> enabled;
    const TipKindDescription *description = kind ? findTipKind(*kind) : nullptr;
    for (const F field : kDimensionFields) {
        if (description && description->dimensions.contains(field)) {
            enabled.insert(field);
        }
    }
    return enabled;
}

class FakeEditor final : public EditorPort, public MessageSink
{
public:
    explicit FakeEditor(std::optional<TipKind> kind, const QString &folder)
        : m_enabled(enabledFor(kind)), m_folder(folder)
    {
        state.tip_type = kind;
    }
    explicit FakeEditor(const QString &tipType, const QString &folder) : FakeEditor(kindOf(tipType), folder) {}

    QString name, thread, thread2;
    std::map<F, QString> texts;
    std::set<BallMaterial> selected;
    bool withoutHalfSphere = false;
    EditorState state;
    QStringList log;
    QByteArray fileAtSuccess;
    bool appendAnyway = false; // the answer to the question before an entry is appended again
    QByteArray fileAtQuestion;

    QString nameText() const override { return name; }
    QString threadText() const override { return thread; }
    QString thread2Text() const override { return thread2; }
    QString dimensionText(F field) const override
    {
        const auto found = texts.find(field);
        return found == texts.end() ? QString() : found->second;
    }
    bool isDimensionEnabled(F field) const override { return m_enabled.count(field) > 0; }
    void clearDimension(F field) override
    {
        texts[field].clear();
        log << "cleared " + fieldName(field);
    }
    bool isBallMaterialSelected(BallMaterial material) const override { return selected.count(material) > 0; }
    bool isWithoutHalfSphere() const override { return withoutHalfSphere; }
    QString folder() const override { return m_folder; }
    void closeEditor() override { log << "closed"; }
    void showError(const QString &text) override { log << "error: " + text; }
    void showSuccess(const QString &text) override
    {
        fileAtSuccess = readAll(ProbeFileWriterPath());
        log << "success: " + text;
    }

    bool askAppendAnyway(const QString &text) override
    {
        fileAtQuestion = readAll(ProbeFileWriterPath());
        log << "question: " + text;
        return appendAnyway;
    }

    QString ProbeFileWriterPath() const { return QDir(m_folder).filePath(QStringLiteral("usrprobe.dat")); }
    bool written = false; // what the command says of its run
    void run(const QLocale &locale = kEnglish)
    {
        written = runCreateCommand(*this, state, *this, ProbeFileEntries(), locale);
    }

private:
    std::set<F> m_enabled;
    QString m_folder;
};

// Valid inputs for a kind: the worked example's figures.
void fillValid(FakeEditor &editor)
{
    editor.name = QStringLiteral("TIP");
    editor.thread = QStringLiteral("M3");
    editor.thread2 = QStringLiteral("M2");
    const std::map<F, QString> values{{F::L1, "10"},     {F::L2, "15"},   {F::L3, "40"},
                                      {F::D1, "4"},      {F::D2, "2"},    {F::BallDiameter, "3"},
                                      {F::Length, "12"}, {F::Width, "2"}, {F::L4, "45"}};
    for (const auto &[field, text] : values) {
        if (editor.isDimensionEnabled(field)) {
            editor.texts[field] = text;
        }
    }
}

// Valid inputs, then the current row's name and threads (columns "name", "thread", "thread2").
void fillRow(FakeEditor &editor)
{
    QFETCH(QString, name);
    QFETCH(QString, thread);
    QFETCH(QString, thread2);
    fillValid(editor);
    editor.name = name;
    editor.thread = thread;
    editor.thread2 = thread2;
}

QString error(const char *text)
{
    return QStringLiteral("error: ") + QString::fromUtf8(text);
}

const QString kName = error("Bitte geben Sie einen Namen für die Tastspitze ein");
const QString kThread = error("Bitte wählen Sie ein Gewinde aus");
const QString kNameChars = error("Die Benennung enthält Zeichen, die nicht in die Datei geschrieben werden können");
const QString kThreadChars = error("Das Gewinde enthält Zeichen, die nicht in die Datei geschrieben werden können");

QString notANumber(const char *caption)
{
    return error("Bitte nur Zahlen bei ") + QString::fromUtf8(caption) + QStringLiteral(" eintragen");
}

} // namespace

class TestCreateCommand final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void allFieldsEmpty_data();
    void allFieldsEmpty();
    void failedFieldIsEmptiedBeforeTheNextMessage();
    void onlyEnabledFieldsAreChecked_data();
    void onlyEnabledFieldsAreChecked();
    void successAfterTheRecordIsComplete_data();
    void successAfterTheRecordIsComplete();
    void ballColour_data();
    void ballColour();
    void germanNumbers_data();
    void germanNumbers();
    void unwritableText_data();
    void unwritableText();
    void fileFailureIsReported();
    void overflowIsReported_data();
    void overflowIsReported();
    void unknownKindDoesNothing();
    void blankNamePasses();
    void planHasNoEffects_data();
    void planHasNoEffects();
    void failuresNameTheirInput_data();
    void failuresNameTheirInput();
    void sameEntryIsAQuestion_data();
    void sameEntryIsAQuestion();
    void unreadableFileIsNoQuestion();
    void sameEntryQuestionText();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString folder() const { return m_folder->path(); }
    bool fileWritten() const { return QFile::exists(m_folder->filePath(QStringLiteral("usrprobe.dat"))); }
};

void TestCreateCommand::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestCreateCommand::allFieldsEmpty_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QStringList>("expected");

    const QString l1 = notANumber("L1"), l2 = notANumber("L2"), l3 = notANumber("L3"), d1 = notANumber("D1"),
                  d2 = notANumber("D2"), kd = notANumber("Kugeldurchmesser"), len = notANumber("Länge"),
                  wid = notANumber("Breite"), l4 = notANumber("L4");
    const auto c = [](const char *field) {
        return QStringLiteral("cleared ") + QLatin1String(field);
    };
    QTest::newRow("ball") << "1" << QStringList{kName, kThread, l1, c("L1"), l2, c("L2"),   l3,      c("L3"),
                                                d1,    c("D1"), d2, c("D2"), kd, c("ball"), "closed"};
    QTest::newRow("cylinder") << "2"
                              << QStringList{kName, kThread, l1, c("L1"),   l2, c("L2"), l3,      c("L3"), d1, c("D1"),
                                             d2,    c("D2"), kd, c("ball"), l4, c("L4"), "closed"};
    QTest::newRow("half sphere") << "3" << QStringList{kName, kThread, l1, c("L1"), l2, c("L2"),   l3,      c("L3"),
                                                       d1,    c("D1"), d2, c("D2"), kd, c("ball"), "closed"};
    QTest::newRow("disc") << "4" << QStringList{kName, kThread,     l1,  c("L1"),    l2,      c("L2"),
                                                l3,    c("L3"),     d1,  c("D1"),    d2,      c("D2"),
                                                len,   c("length"), wid, c("width"), "closed"};
    QTest::newRow("cube") << "5" << QStringList{kName, kThread, l1, c("L1"), "closed"};
    QTest::newRow("extension") << "6" << QStringList{kName, kThread, d1, c("D1"), len, c("length"), "closed"};
}

void TestCreateCommand::allFieldsEmpty()
{
    QFETCH(QString, tipType);
    QFETCH(QStringList, expected);

    FakeEditor editor(tipType, folder());
    editor.run();
    QCOMPARE(editor.log, expected);
    QVERIFY(!fileWritten());
    QVERIFY(!editor.written);
}

void TestCreateCommand::failedFieldIsEmptiedBeforeTheNextMessage()
{
    FakeEditor editor(QStringLiteral("1"), folder());
    fillValid(editor);
    editor.texts[F::L2] = QStringLiteral("15mm");
    editor.texts[F::D2] = QStringLiteral("zwei");
    editor.run();
    QCOMPARE(editor.log, (QStringList{notANumber("L2"), "cleared L2", notANumber("D2"), "cleared D2", "closed"}));
    QVERIFY(editor.texts[F::L2].isEmpty());
    QCOMPARE(editor.texts[F::L1], QStringLiteral("10"));
    QVERIFY(!fileWritten());
}

void TestCreateCommand::onlyEnabledFieldsAreChecked_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QString>("success");
    QTest::newRow("cube") << "5"
                          << "success: Würfel wurde erfolgreich erstellt";
    QTest::newRow("extension") << "6"
                               << "success: Verlängerung wurde erfolgreich erstellt";
}

void TestCreateCommand::onlyEnabledFieldsAreChecked()
{
    QFETCH(QString, tipType);
    QFETCH(QString, success);

    FakeEditor editor(tipType, folder());
    fillValid(editor);
    // What a disabled field holds is never reported; it counts as its number or as 0.
    for (const F field : kDimensionFields) {
        if (!editor.isDimensionEnabled(field)) {
            editor.texts[field] = QStringLiteral("kein Wert");
        }
    }
    editor.run();
    QCOMPARE(editor.log, (QStringList{success, "closed"}));
}

void TestCreateCommand::successAfterTheRecordIsComplete_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("lines");

    QTest::newRow("ball") << "1"
                          << "Tastkugel wurde erfolgreich erstellt" << 11;
    QTest::newRow("cylinder") << "2"
                              << "Zylindertaster wurde erfolgreich erstellt" << 12;
    QTest::newRow("half sphere") << "3"
                                 << "Halbkugel wurde erfolgreich erstellt" << 11;
    QTest::newRow("disc") << "4"
                          << "Scheibentaster wurde erfolgreich erstellt" << 11;
    QTest::newRow("cube") << "5"
                          << "Würfel wurde erfolgreich erstellt" << 14;
    QTest::newRow("extension") << "6"
                               << "Verlängerung wurde erfolgreich erstellt" << 5;
}

void TestCreateCommand::successAfterTheRecordIsComplete()
{
    QFETCH(QString, tipType);
    QFETCH(QString, message);
    QFETCH(int, lines);

    FakeEditor editor(tipType, folder());
    fillValid(editor);
    editor.run();
    QCOMPARE(editor.log, (QStringList{"success: " + message, "closed"}));
    // When the message shows, the whole record is in the file.
    QCOMPARE(editor.fileAtSuccess.count("\r\n"), lines);
    QVERIFY(editor.fileAtSuccess.startsWith("ITEM:TIPMM M3\r\n"));
    QCOMPARE(readAll(editor.ProbeFileWriterPath()), editor.fileAtSuccess);
    QVERIFY(editor.written);
}

void TestCreateCommand::ballColour_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QString>("colourLine");

    const auto hm = int(BallMaterial::HardMetal), ruby = int(BallMaterial::Ruby), ceramic = int(BallMaterial::Ceramic);
    QTest::newRow("hard metal") << QList<int>{hm} << "Color 47 79 79";
    QTest::newRow("ruby") << QList<int>{ruby} << "Color 255 0 0";
    QTest::newRow("ceramic") << QList<int>{ceramic} << "Color 250 235 215";
    QTest::newRow("first in order wins") << QList<int>{ceramic, hm} << "Color 47 79 79";
    // Nothing chosen: the colour of the last run stays (here left at ceramic by the test).
    QTest::newRow("none keeps the last colour") << QList<int>{} << "Color 250 235 215";
}

void TestCreateCommand::ballColour()
{
    QFETCH(QList<int>, selected);
    QFETCH(QString, colourLine);

    FakeEditor editor(QStringLiteral("1"), folder());
    fillValid(editor);
    editor.state.ball_rgb = kCeramicBall;
    for (const int material : selected) {
        editor.selected.insert(BallMaterial(material));
    }
    editor.run();
    const QList<QByteArray> record = readAll(editor.ProbeFileWriterPath()).split('\n');
    QCOMPARE(record.value(7), colourLine.toLatin1() + '\r');
}

void TestCreateCommand::germanNumbers_data()
{
    QTest::addColumn<QString>("L1");
    QTest::addColumn<bool>("passes");

    QTest::newRow("decimal comma") << "2,5" << true;
    QTest::newRow("blanks around") << " 2,5 " << true;
    QTest::newRow("decimal point") << "2.5" << false;
    QTest::newRow("group separator") << "1.000" << false;
    QTest::newRow("infinite") << "inf" << false;
    QTest::newRow("not a number") << "nan" << false;
    QTest::newRow("beyond a double") << "1e999" << false;
    QTest::newRow("line break after the number") << "2,5\n" << false;
    QTest::newRow("tab before the number") << "\t2,5" << false;
    QTest::newRow("no-break space after the number") << QStringLiteral("2,5\u00A0") << false;
}

void TestCreateCommand::germanNumbers()
{
    QFETCH(QString, L1);
    QFETCH(bool, passes);

    FakeEditor editor(QStringLiteral("5"), folder());
    fillValid(editor);
    editor.texts[F::L1] = L1;
    editor.run(kGerman);
    if (passes) {
        QCOMPARE(editor.log.value(0), QStringLiteral("success: Würfel wurde erfolgreich erstellt"));
        QVERIFY(readAll(editor.ProbeFileWriterPath()).contains("Connect 0 0 -2,5 0 0 1 M3\r\n"));
    } else {
        QCOMPARE(editor.log, (QStringList{notANumber("L1"), "cleared L1", "closed"}));
        QVERIFY(!fileWritten());
    }
}

void TestCreateCommand::unwritableText_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("thread");
    QTest::addColumn<QString>("thread2");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("line break in the name") << "1"
                                            << "TIP\r\nendtip"
                                            << "M3"
                                            << "" << QStringList{kNameChars, "closed"};
    QTest::newRow("tab in the name") << "1"
                                     << "T\tIP"
                                     << "M3"
                                     << "" << QStringList{kNameChars, "closed"};
    QTest::newRow("name outside the code page") << "1"
                                                << "Ωmega"
                                                << "M3"
                                                << "" << QStringList{kNameChars, "closed"};
    QTest::newRow("empty name, bad thread") << "1"
                                            << ""
                                            << "M3\n"
                                            << "" << QStringList{kName, kThreadChars, "closed"};
    QTest::newRow("second thread of an extension") << "6"
                                                   << "V"
                                                   << "M3"
                                                   << "M2\n"
                                                   << QStringList{kThreadChars, "closed"};
    QTest::newRow("both threads of an extension") << "6"
                                                  << "V"
                                                  << "M3\x1b"
                                                  << "M2\n"
                                                  << QStringList{kThreadChars, kThreadChars, "closed"};
    QTest::newRow("second thread unused by a ball")
        << "1"
        << "TIP"
        << "M3"
        << "M2\n"
        << QStringList{"success: Tastkugel wurde erfolgreich erstellt", "closed"};
    QTest::newRow("umlauts are fine") << "1"
                                      << "Tastspitze für Ölprüfung"
                                      << "M3"
                                      << "" << QStringList{"success: Tastkugel wurde erfolgreich erstellt", "closed"};
}

void TestCreateCommand::unwritableText()
{
    QFETCH(QString, tipType);
    QFETCH(QStringList, expected);

    FakeEditor editor(tipType, folder());
    fillRow(editor);
    editor.run();
    QCOMPARE(editor.log, expected);
    QCOMPARE(fileWritten(), expected.first().startsWith(QStringLiteral("success")));
}

void TestCreateCommand::fileFailureIsReported()
{
    const QString missing = m_folder->filePath(QStringLiteral("weg"));
    FakeEditor editor(QStringLiteral("1"), missing);
    fillValid(editor);
    editor.run();
    const QString path = QDir::toNativeSeparators(QDir(missing).filePath(QStringLiteral("usrprobe.dat")));
    QCOMPARE(editor.log,
             (QStringList{"error: Die Datei " + path + " konnte nicht geschrieben werden.\nDer Ordner existiert nicht.",
                          "closed"}));
}

void TestCreateCommand::overflowIsReported_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<FieldTexts>("texts");

    QTest::newRow("cylinder shank") << "2" << FieldTexts{{F::L3, "-1e308"}, {F::L4, "1e308"}};
    // Every number finite, but the disc's depths written with 15 digits read back as infinity.
    QTest::newRow("disc as wide as the largest double") << "4"
                                                        << FieldTexts{{F::L1, "10"},
                                                                      {F::L2, "20"},
                                                                      {F::L3, "0"},
                                                                      {F::D1, "6"},
                                                                      {F::D2, "3"},
                                                                      {F::Length, "12"},
                                                                      {F::Width, "1.7976931348623157e308"}};
}

void TestCreateCommand::overflowIsReported()
{
    QFETCH(QString, tipType);
    QFETCH(FieldTexts, texts);

    FakeEditor editor(tipType, folder());
    fillValid(editor);
    for (const auto &[field, text] : texts) {
        editor.texts[field] = text;
    }
    editor.run();
    QCOMPARE(editor.log, (QStringList{error("Die berechneten Maße sind zu groß."), "closed"}));
    QVERIFY(!fileWritten());
}

void TestCreateCommand::unknownKindDoesNothing()
{
    // Before the editor first opens, and values that no kind has.
    for (const std::optional<TipKind> kind :
         {std::optional<TipKind>(), std::optional(TipKind(7)), std::optional(TipKind(0)), std::optional(TipKind(-1))}) {
        FakeEditor editor(kind, folder());
        fillValid(editor);
        editor.texts[F::L1] = QStringLiteral("10");
        editor.run();
        QCOMPARE(editor.log, QStringList{"closed"});
        QVERIFY(!fileWritten());
    }
}

void TestCreateCommand::blankNamePasses()
{
    FakeEditor editor(QStringLiteral("5"), folder());
    fillValid(editor);
    editor.name = QStringLiteral("   ");
    editor.run();
    QCOMPARE(editor.log.value(0), QStringLiteral("success: Würfel wurde erfolgreich erstellt"));
    QVERIFY(readAll(editor.ProbeFileWriterPath()).startsWith("ITEM:   MM M3\r\nsolid 6\r\nColor 142 142 142\r\n"));
}

void TestCreateCommand::planHasNoEffects_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<QString>("edits"); // "L1=text;L4=text", after the valid figures

    for (const char *tipType : {"1", "2", "3", "4", "5", "6"}) {
        QTest::addRow("kind %s, valid", tipType) << tipType << true << "";
        QTest::addRow("kind %s, empty", tipType) << tipType << false << "";
        QTest::addRow("kind %s, two fields not numbers", tipType) << tipType << true << "L1=1O;length=5x";
    }
    QTest::newRow("overflow") << "2" << true << "L3=-1e308;L4=1e308";
}

// The plan is what the command does, less its effects: the same messages in the same order, the
// fields it would empty, the record that ends up in the file; and making it changes nothing.
void TestCreateCommand::planHasNoEffects()
{
    QFETCH(QString, tipType);
    QFETCH(bool, filled);
    QFETCH(QString, edits);

    FakeEditor editor(tipType, folder());
    if (filled) {
        fillValid(editor);
    }
    for (const QString &edit : edits.split(u';', Qt::SkipEmptyParts)) {
        for (const F field : kDimensionFields) {
            if (fieldName(field) == edit.section(u'=', 0, 0)) {
                editor.texts[field] = edit.section(u'=', 1);
            }
        }
    }
    editor.selected.insert(BallMaterial::HardMetal);
    const EditorState before = editor.state;
    const auto texts = editor.texts;

    const CreatePlan plan = planCreateCommand(editor, editor.state, kEnglish);
    QVERIFY(editor.log.isEmpty());
    QVERIFY(editor.texts == texts);
    QCOMPARE(editor.state.ball_rgb, before.ball_rgb);
    QCOMPARE(plan.ball_rgb, kHardMetalBall);
    QCOMPARE(plan.record.has_value(), plan.failures.isEmpty());
    QCOMPARE(plan.failures.isEmpty(), filled && edits.isEmpty());
    QVERIFY(!fileWritten());

    QStringList expected;
    for (const CreateFailure &failure : plan.failures) {
        expected << "error: " + failure.message;
        if (failure.emptied) {
            expected << "cleared " + fieldName(*failure.emptied);
        }
    }
    if (plan.record) {
        expected << "success: " + successMessage(plan.inputs->tip_type);
    }
    expected << "closed";
    editor.run();
    QCOMPARE(editor.log, expected);
    QCOMPARE(editor.state.ball_rgb, kHardMetalBall);
    QCOMPARE(readAll(editor.ProbeFileWriterPath()), plan.record ? crlf(plan.record->lines) : QByteArray());
}

void TestCreateCommand::failuresNameTheirInput_data()
{
    QTest::addColumn<QString>("tipType");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("thread");
    QTest::addColumn<QString>("thread2");
    QTest::addColumn<FieldTexts>("texts");
    QTest::addColumn<QStringList>("expected"); // per failure: the input, its caption, "empty" if so

    QTest::newRow("nothing typed") << "1"
                                   << ""
                                   << ""
                                   << "" << FieldTexts{{F::L1, ""}, {F::BallDiameter, ""}}
                                   << QStringList{"Name Benennung empty", "Thread Gewinde 1 empty",
                                                  "Dimension L1 L1 empty", "Dimension ball Kugeldurchmesser empty"};
    QTest::newRow("unwritable texts") << "6"
                                      << "Ωmega"
                                      << "M3\n"
                                      << "M2\n"
                                      << FieldTexts{}
                                      << QStringList{"Name Benennung", "Thread Gewinde 1", "Thread2 Gewinde 2"};
    QTest::newRow("not numbers") << "4"
                                 << "TIP"
                                 << "M3"
                                 << "" << FieldTexts{{F::Length, "1O"}, {F::Width, "2x"}}
                                 << QStringList{"Dimension length Länge", "Dimension width Breite"};
    QTest::newRow("too large") << "2"
                               << "TIP"
                               << "M3"
                               << "" << FieldTexts{{F::L3, "-1e308"}, {F::L4, "1e308"}} << QStringList{"None"};
}

// Each failure names the input it is about, so that the preview can show what that input holds.
void TestCreateCommand::failuresNameTheirInput()
{
    QFETCH(QString, tipType);
    QFETCH(FieldTexts, texts);
    QFETCH(QStringList, expected);

    FakeEditor editor(tipType, folder());
    fillRow(editor);
    for (const auto &[field, text] : texts) {
        editor.texts[field] = text;
    }
    static const char *const inputs[] = {"None", "Name", "Thread", "Thread2", "Dimension"};
    QStringList named;
    for (const CreateFailure &failure : planCreateCommand(editor, editor.state, kEnglish).failures) {
        // A dimension names itself by the field that is emptied; no other input is emptied.
        QCOMPARE(failure.emptied.has_value(), failure.field == InputField::Dimension);
        QStringList parts{QString::fromLatin1(inputs[int(failure.field)])};
        if (failure.emptied) {
            parts << fieldName(*failure.emptied);
        }
        if (!failure.caption.isEmpty()) {
            parts << failure.caption;
        }
        if (failure.empty) {
            parts << QStringLiteral("empty");
        }
        named << parts.join(u' ');
    }
    QCOMPARE(named, expected);
}

void TestCreateCommand::sameEntryIsAQuestion_data()
{
    QTest::addColumn<QByteArray>("before"); // usrprobe.dat before "Erstellen"
    QTest::addColumn<bool>("appendAnyway"); // the answer, when asked; without a question it is appended
    QTest::addColumn<QString>("question");  // empty: no question
    QTest::addColumn<QString>("thread");

    const QByteArray other = "ITEM:OTHERMM M3\r\nbegintip\r\nendtip\r\n";
    const QByteArray tip = "ITEM:TIPMM M3\r\nbegintip\r\nendtip\r\n";
    const QByteArray runTogether = "ITEM:OTHERMM M3\r\nbegintip\r\nendtipITEM:TIPMM M3\r\nbegintip\r\nendtip\r\n";
    const QString rest = QStringLiteral("\nEin weiterer Eintrag gleichen Namens mit gleichem Gewinde wäre ein Problem "
                                        "der Datei.\n\nTrotzdem anhängen?");
    const auto once = [&](int line) {
        return QStringLiteral("question: Benennung „TIP“ mit Gewinde „M3“ steht schon in Zeile %1 von usrprobe.dat.")
                   .arg(line) +
               rest;
    };
    const auto several = [&](int count, int line) {
        return QStringLiteral("question: Benennung „TIP“ mit Gewinde „M3“ steht schon %1-mal in usrprobe.dat, zuerst "
                              "in Zeile %2.")
                   .arg(count)
                   .arg(line) +
               rest;
    };
    QTest::newRow("no such entry") << other << false << QString() << QString();
    QTest::newRow("same name, other thread")
        << QByteArray("ITEM:TIPMM M4\r\nbegintip\r\nendtip\r\n") << false << QString() << QString();
    QTest::newRow("same thread, other name")
        << QByteArray("ITEM:TIP2MM M3\r\nbegintip\r\nendtip\r\n") << false << QString() << QString();
    QTest::newRow("Abbrechen") << other + tip << false << once(4) << QString();
    QTest::newRow("Trotzdem anhängen") << other + tip << true << once(4) << QString();
    QTest::newRow("blanks after the thread count for nothing") << other + "ITEM:TIPMM M3  \r\nbegintip\r\nendtip\r\n"
                                                               << false << once(4) << QString();
    QTest::newRow("several, Abbrechen") << tip + other + tip + tip << false << several(3, 1) << QString();
    QTest::newRow("several, Trotzdem anhängen") << other + tip + tip << true << several(2, 4) << QString();
    // A record cut off before its end is still the entry for the reader's check.
    QTest::newRow("damaged match") << other + "ITEM:TIPMM M3\r\nbegintip\r\ncylinder 0 0\r\n"
                                   << false << once(4) << QString();
    // Cut off without a line end: the new item line would run into its last line, which the check
    // calls a fault of its own; the file names the entry all the same, and the operator is asked.
    QTest::newRow("damaged match, no line end")
        << other + "ITEM:TIPMM M3\r\nbegintip\r\ncylinder 0 0" << false << once(4) << QString();
    // A record whose item line follows another line's text on the same line.
    QTest::newRow("run-together match") << runTogether << false << once(3) << QString();
    QTest::newRow("run-together, Trotzdem anhängen") << runTogether << true << once(3) << QString();
    QTest::newRow("LF line ends") << QByteArray("ITEM:OTHERMM M3\nbegintip\nendtip\nITEM:TIPMM M3\n") << false
                                  << once(4) << QString();
    // An item line at fault is never looked up by the check, and so is no earlier entry here.
    QTest::newRow("item line without MM")
        << QByteArray("ITEM:TIP M3\r\nbegintip\r\nendtip\r\n") << false << QString() << QString();
    // A thread of one blank: the new item line "ITEM:TIPMM  " names the entry "TIPMM"; so would
    // "ITEM:TIPMM", but that line lacks "MM " and is at fault, while "ITEM:TIPMM " is the entry.
    const QString blankThread =
        QStringLiteral("question: Benennung „TIP“ mit Gewinde „“ steht schon in Zeile 1 von usrprobe.dat.");
    QTest::newRow("blank thread, earlier line at fault")
        << QByteArray("ITEM:TIPMM\r\nbegintip\r\nendtip\r\n") << false << QString() << " ";
    QTest::newRow("blank thread, earlier entry")
        << QByteArray("ITEM:TIPMM \r\nbegintip\r\nendtip\r\n") << false << blankThread + rest << " ";
}

void TestCreateCommand::sameEntryIsAQuestion()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, appendAnyway);
    QFETCH(QString, question);
    QFETCH(QString, thread);
    const bool appended = question.isEmpty() || appendAnyway;

    FakeEditor editor(QStringLiteral("1"), folder());
    fillValid(editor);
    editor.thread = thread.isNull() ? QStringLiteral("M3") : thread;
    editor.appendAnyway = appendAnyway;
    const std::optional<TipRecord> record = planCreateCommand(editor, editor.state, kEnglish).record;
    QVERIFY(record);
    const QByteArray recordBytes = *toAnsi(record->lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    writeAll(editor.ProbeFileWriterPath(), before);

    editor.run();
    QStringList expected;
    if (!question.isEmpty()) {
        expected << question;
    }
    if (appended) {
        expected << QStringLiteral("success: Tastkugel wurde erfolgreich erstellt");
    }
    expected << QStringLiteral("closed");
    QCOMPARE(editor.log, expected);
    if (!question.isEmpty()) {
        QCOMPARE(editor.fileAtQuestion, before); // nothing written while the question is open
    }
    QCOMPARE(readAll(editor.ProbeFileWriterPath()), appended ? before + recordBytes : before);
    QCOMPARE(editor.written, appended);

    // The question comes exactly when the reader's check would call the new record a duplicate (of
    // a file that ends in a line end, so that the new record starts a line of its own).
    if (!before.endsWith('\n')) {
        return;
    }
    const ProbeFile joined = ProbeFile::fromBytes(before + recordBytes);
    const int newLine = int(joined.record(joined.recordCount() - 1).firstLine) + 1;
    bool checkSaysTwice = false;
    for (const Problem &problem : joined.problems()) {
        checkSaysTwice = checkSaysTwice || (problem.line == newLine && problem.text.contains(u"steht schon in Zeile"));
    }
    QCOMPARE(checkSaysTwice, !question.isEmpty());
}

// When usrprobe.dat cannot be read, nobody is asked and the record goes to the writer as before:
// here a usrprobe.dat that is a folder, which the writer then names.
void TestCreateCommand::unreadableFileIsNoQuestion()
{
    FakeEditor editor(QStringLiteral("1"), folder());
    fillValid(editor);
    QVERIFY(QDir(folder()).mkdir(QStringLiteral("usrprobe.dat")));
    QCOMPARE(ProbeFileEntries().sameEntries(folder(), QStringLiteral("ITEM:TIPMM M3")).count, 0);
    editor.run();
    QCOMPARE(editor.log.size(), 2);
    QVERIFY2(editor.log.first().startsWith(QStringLiteral("error: Die Datei ")), qPrintable(editor.log.first()));
    QCOMPARE(editor.log.last(), QStringLiteral("closed"));
    QVERIFY(!editor.written);
}

// The question names the entry as the file holds it: blanks at the end of the thread are no part of
// it, a blank before it is; a name that looks like a placeholder stays as typed.
void TestCreateCommand::sameEntryQuestionText()
{
    QCOMPARE(sameEntryQuestion(QStringLiteral("A"), QStringLiteral(" M3  "), {7, 1}).section(u'\n', 0, 0),
             QStringLiteral("Benennung „A“ mit Gewinde „ M3“ steht schon in Zeile 7 von usrprobe.dat."));
    QCOMPARE(
        sameEntryQuestion(QStringLiteral("T%1%2"), QStringLiteral("%3"), {5, 4}).section(u'\n', 0, 0),
        QStringLiteral("Benennung „T%1%2“ mit Gewinde „%3“ steht schon 4-mal in usrprobe.dat, zuerst in Zeile 5."));
}

QTEST_GUILESS_MAIN(TestCreateCommand)
#include "tst_createcommand.moc"
