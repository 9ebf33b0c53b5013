#include "ViewerCommand.h"

#include "HistoryCommand.h"
#include "InPlaceChange.h"
#include "ProbeFile.h"
#include "ReaderTexts.h"
#include "RemoveCommand.h"
#include "RepairCommand.h"

#include "OutputCheck.h"
#include "ProgramArguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <filesystem>
#include <limits>

namespace merivox {

namespace {

using Action = ViewerRequest::Action;

// What a value of an option stands for, and how the help calls it.
enum class Value { File, Line, Entry, Output };

QString valueName(Value value)
{
    switch (value) {
    case Value::File:
        return QStringLiteral("DATEI");
    case Value::Line:
        return QStringLiteral("ZEILE");
    case Value::Entry:
        return QStringLiteral("NR");
    case Value::Output:
        return QStringLiteral("AUSGABE.pdf");
    }
    return {};
}

// One option of the program: the parser reads it and the help lists it from this alone. The
// first of its values follows the option itself; the others are the arguments after it, in order.
struct OptionDefinition final
{
    Action action;
    QStringList names;       // without dashes, a one-letter name first: "h", "help"
    QList<Value> values;     // as the help shows them after the names
    QString missing;         // what is said when a value is missing
    QStringList description; // the help's lines, wrapped as shown
    // A shorter form of the option, with fewer values, that does something else: the help shows
    // it as a call of its own.
    QList<Value> shortValues = {};
    Action shortAction = Action::Refused;
};

const QList<OptionDefinition> &optionDefinitions()
{
    static const QList<OptionDefinition> definitions = {
        {Action::Check,
         {QStringLiteral("check")},
         {Value::File},
         QStringLiteral("--check braucht eine DATEI."),
         {QStringLiteral("prüft die Datei ohne Fenster: jedes Problem als „ZEILE: Text“,"),
          QStringLiteral("jeder Hinweis als „ZEILE: Hinweis: Text“, dann „N Einträge,"),
          QStringLiteral("M Probleme“ (und „, K Hinweise“, wenn es welche gibt)."),
          QStringLiteral("Hinweise (LF-Zeilenenden, ein als UTF-8 gespeicherter Name,"),
          QStringLiteral("Dezimalpunkt und -komma gemischt, eine negative Größe)"),
          QStringLiteral("sind keine Probleme."),
          QStringLiteral("Rückgabewert 0: keine Probleme, 1: Probleme gefunden,"),
          QStringLiteral("2: Datei nicht lesbar.")}},
        {Action::Remove,
         {QStringLiteral("remove")},
         {Value::Line, Value::File},
         QStringLiteral("--remove braucht eine Zeilennummer und eine DATEI."),
         {QStringLiteral("entfernt den Eintrag, zu dem die Zeile gehört, und nur ihn."),
          QStringLiteral("Rückgabewert 0: entfernt, 1: kein solcher Eintrag, Datei geändert"),
          QStringLiteral("oder in Benutzung, 2: Aufruf falsch, Datei nicht les- oder schreibbar.")}},
        {Action::Repair,
         {QStringLiteral("repair")},
         {Value::Line, Value::File},
         QStringLiteral("--repair braucht eine Zeilennummer und eine DATEI."),
         {QStringLiteral("bessert das Problem der Zeile aus, ohne einen Eintrag anzutasten:"),
          QStringLiteral("entfernt die Zeilen um sie herum, die zu keinem Eintrag gehören,"),
          QStringLiteral("oder teilt eine Zeile, in der ein zweiter Eintrag beginnt, vor „ITEM:“."),
          QStringLiteral("Rückgabewert 0: ausgebessert, 1: nichts auszubessern, Datei geändert"),
          QStringLiteral("oder in Benutzung, 2: Aufruf falsch, Datei nicht les- oder schreibbar.")}},
        {Action::History,
         {QStringLiteral("history")},
         {Value::File},
         QStringLiteral("--history braucht eine DATEI."),
         {QStringLiteral("zeigt, was der Verlauf DATEI.history an entfernten Einträgen aufbewahrt,"),
          QStringLiteral("die neuesten zuerst, nummeriert, je Zeile Name, Gewinde, Zeilen und"),
          QStringLiteral("Zeitpunkt. Rückgabewert 0: gezeigt, 2: Datei oder Verlauf nicht lesbar.")}},
        {Action::Restore,
         {QStringLiteral("restore")},
         {Value::Entry, Value::File},
         QStringLiteral("--restore braucht eine Nummer aus --history und eine DATEI."),
         {QStringLiteral("fügt den Eintrag NR der Liste von --history wieder ein: an seiner alten"),
          QStringLiteral("Stelle, wenn die Datei davor unverändert ist, sonst am Ende. Steht ein"),
          QStringLiteral("Eintrag mit gleichem Namen und Gewinde schon in der Datei, wird nichts"),
          QStringLiteral("eingefügt. Rückgabewert 0: eingefügt, 1: keine solche Nummer, schon"),
          QStringLiteral("vorhanden, Datei geändert oder in Benutzung, 2: Aufruf falsch, Datei"),
          QStringLiteral("oder Verlauf nicht les- oder schreibbar.")}},
        {Action::Sheet,
         {QStringLiteral("pdf")},
         {Value::Output, Value::Line, Value::File},
         QStringLiteral("--pdf braucht AUSGABE.pdf und DATEI, für ein Datenblatt AUSGABE.pdf, ZEILE und DATEI."),
         {QStringLiteral("schreibt das Datenblatt (eine A4-Seite) des Eintrags, zu dem die"),
          QStringLiteral("Zeile ZEILE gehört. Rückgabewert 0: geschrieben, 1: die Zeile gehört"),
          QStringLiteral("zu keinem oder zu zwei Einträgen, 2: Datei nicht lesbar oder"),
          QStringLiteral("AUSGABE.pdf nicht schreibbar."),
          QStringLiteral("Ohne ZEILE: der Katalog der ganzen Datei, ein PDF mit Titel (Datei,"),
          QStringLiteral("Ordner, Datum, Zahl der Einträge, Probleme und Hinweise), einer"),
          QStringLiteral("Übersicht aller Einträge und dem Datenblatt jedes Eintrags, der"),
          QStringLiteral("Probleme seines Eintrags nennt. Rückgabewert 0: geschrieben (auch"),
          QStringLiteral("mit Problemen in der Datei), 2: Datei nicht lesbar oder AUSGABE.pdf"),
          QStringLiteral("nicht schreibbar.")},
         {Value::Output, Value::File},
         Action::Catalogue},
        {Action::Help, {QStringLiteral("h"), QStringLiteral("help")}, {}, {}, {QStringLiteral("zeigt diese Hilfe.")}},
        {Action::Version,
         {QStringLiteral("v"), QStringLiteral("version")},
         {},
         {},
         {QStringLiteral("zeigt die Version.")}},
    };
    return definitions;
}

QString spelled(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "--pdf AUSGABE.pdf ZEILE DATEI", "-h, --help"; with values, the option's form with those.
QString syntax(const OptionDefinition &option, const QList<Value> &values)
{
    QStringList names;
    for (const QString &name : option.names) {
        names.append(spelled(name));
    }
    QString text = names.join(QStringLiteral(", "));
    for (const Value value : values) {
        text += QLatin1Char(' ') + valueName(value);
    }
    return text;
}

QString syntax(const OptionDefinition &option)
{
    return syntax(option, option.values);
}

const OptionDefinition *findOption(QStringView name)
{
    for (const OptionDefinition &option : optionDefinitions()) {
        if (option.names.contains(name)) {
            return &option;
        }
    }
    return nullptr;
}

// Whether an argument is one of the options as typed: then it is no value of another.
bool isOptionSpelling(const QString &argument)
{
    for (const OptionDefinition &option : optionDefinitions()) {
        for (const QString &name : option.names) {
            if (argument == spelled(name)) {
                return true;
            }
        }
    }
    return false;
}

ViewerRequest refused(const QString &why)
{
    ViewerRequest request;
    request.action = Action::Refused;
    request.refusal = why;
    return request;
}

// What the parser did not accept, found again in the arguments as typed (the parser says it in
// English only): an unknown option, a value on an option without one, or a missing value.
QString parseFault(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--")) {
            break; // the rest are arguments, whatever they look like
        }
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            continue;
        }
        const OptionDefinition *option = nullptr;
        bool valueHere = false; // the value is written into the same argument
        if (argument.startsWith(QLatin1String("--"))) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            option = findOption(QStringView(argument).mid(2, equals < 0 ? -1 : equals - 2));
            valueHere = equals >= 0;
            if (option != nullptr && valueHere && option->values.isEmpty()) {
                return QStringLiteral("„%1“: %2 nimmt keinen Wert.").arg(argument, spelled(option->names.constLast()));
            }
        } else {
            // One-letter options, several in one argument; a value may follow the letter of its option.
            for (qsizetype letter = 1; letter < argument.size(); ++letter) {
                option = findOption(QStringView(argument).mid(letter, 1));
                if (option == nullptr || !option->values.isEmpty()) {
                    valueHere = letter + 1 < argument.size();
                    break;
                }
            }
        }
        if (option == nullptr) {
            return QStringLiteral("Unbekannte Option: %1").arg(argument);
        }
        if (!option->values.isEmpty() && !valueHere) {
            if (i + 1 == arguments.size()) {
                return option->missing;
            }
            ++i;
        }
    }
    return QStringLiteral("Die Argumente lassen sich nicht lesen.");
}

// A line number as typed: digits, from 1 on.
std::optional<int> lineNumber(const QString &text, QString *why)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    if (!number.match(text).hasMatch()) {
        *why = QStringLiteral("„%1“ ist keine Zeilennummer.").arg(text);
        return std::nullopt;
    }
    bool fits = false;
    const qlonglong line = text.toLongLong(&fits);
    if (fits && line < 1) {
        *why = QStringLiteral("„%1“ ist keine Zeilennummer: Zeilen zählen ab 1.").arg(text);
        return std::nullopt;
    }
    if (!fits || line > std::numeric_limits<int>::max()) {
        *why = QStringLiteral("„%1“ ist keine Zeilennummer: so viele Zeilen hat keine Datei.").arg(text);
        return std::nullopt;
    }
    return int(line);
}

// A number of --history's list as typed: digits, from 1 on.
std::optional<int> entryNumber(const QString &text, QString *why)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    bool fits = false;
    const qlonglong entry = text.toLongLong(&fits);
    if (!number.match(text).hasMatch() || !fits || entry < 1 || entry > std::numeric_limits<int>::max()) {
        *why = QStringLiteral("„%1“ ist keine Nummer aus der Liste von „merivox-view --history DATEI“: "
                              "sie zählt ab 1.")
                   .arg(text);
        return std::nullopt;
    }
    return int(entry);
}

// Puts one value into the request; false, with the reason, when it is not one.
bool takeValue(Value value, const QString &text, ViewerRequest &request, QString *why)
{
    switch (value) {
    case Value::Line: {
        const std::optional<int> line = lineNumber(text, why);
        request.line = line.value_or(0);
        return line.has_value();
    }
    case Value::Entry: {
        const std::optional<int> entry = entryNumber(text, why);
        request.entry = entry.value_or(0);
        return entry.has_value();
    }
    case Value::File:
    case Value::Output:
        if (text.isEmpty()) {
            *why = QStringLiteral("%1 ist leer: ein Dateiname fehlt.").arg(valueName(value));
            return false;
        }
        (value == Value::File ? request.path : request.pdfPath) = text;
        return true;
    }
    return false;
}

QString tooMany(const QString &argument, const QString &call)
{
    return QStringLiteral("„%1“ ist ein Argument zu viel (Aufruf: merivox-view %2).").arg(argument, call);
}

QString noteText(const Problem &note)
{
    return note.hint ? QStringLiteral("Hinweis: ") + note.text : note.text;
}

} // namespace

QString viewerHelpText()
{
    // The option's description starts in this column, on the line of its names when they leave room.
    constexpr qsizetype kColumn = 17;
    QString text = QStringLiteral("Aufruf: merivox-view [DATEI]\n");
    for (const OptionDefinition &option : optionDefinitions()) {
        if (!option.values.isEmpty()) {
            text += QStringLiteral("        merivox-view ") + syntax(option) + QLatin1Char('\n');
        }
        if (!option.shortValues.isEmpty()) {
            text += QStringLiteral("        merivox-view ") + syntax(option, option.shortValues) + QLatin1Char('\n');
        }
    }
    text += QStringLiteral(
        "\n"
        "Zeigt die Einträge einer Tasterdatei (usrprobe.dat): jeden Eintrag in einer Tabelle,\n"
        "maßstäblich gezeichnet und als Text, dazu Probleme und Hinweise der Datei mit ihren Zeilennummern.\n"
        "Ohne DATEI fragt ein Dateidialog nach ihr. Das Fenster liest die Datei neu, wenn sie sich\n"
        "ändert. Die Datei wird nur gelesen, außer beim Entfernen, Ausbessern und Wiederherstellen (im\n"
        "Fenster mit „Eintrag entfernen …“, „Rückgängig“ und „Entfernte Einträge …“); was dabei aus der\n"
        "Datei genommen wird, bewahrt der Verlauf DATEI.history auf, die alte Fassung bleibt als DATEI.bak.\n"
        "\n"
        "Optionen:\n");
    const QString indent(kColumn, QLatin1Char(' '));
    for (const OptionDefinition &option : optionDefinitions()) {
        QString first = QStringLiteral("  ") + syntax(option);
        QStringList lines = option.description;
        if (first.size() + 2 <= kColumn && !lines.isEmpty()) {
            first = first.leftJustified(kColumn) + lines.takeFirst();
        }
        text += first + QLatin1Char('\n');
        for (const QString &line : lines) {
            text += indent + line + QLatin1Char('\n');
        }
    }
    return text;
}

ViewerRequest readViewerArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    QHash<QString, const OptionDefinition *> byName;
    for (const OptionDefinition &option : optionDefinitions()) {
        QCommandLineOption parsed(option.names);
        if (!option.values.isEmpty()) {
            parsed.setValueName(valueName(option.values.constFirst()));
        }
        parser.addOption(parsed);
        for (const QString &name : option.names) {
            byName.insert(name, &option);
        }
    }
    if (!parser.parse(arguments)) {
        return refused(parseFault(arguments));
    }

    // The options in the order typed; --help and --version go before anything else.
    const OptionDefinition *chosen = nullptr;
    QString chosenName;
    bool help = false;
    bool version = false;
    for (const QString &name : parser.optionNames()) {
        const OptionDefinition *option = byName.value(name);
        help = help || option->action == Action::Help;
        version = version || option->action == Action::Version;
        if (option->values.isEmpty()) {
            continue;
        }
        if (chosen == option) {
            return refused(QStringLiteral("%1 darf nur einmal stehen.").arg(spelled(name)));
        }
        if (chosen != nullptr) {
            return refused(QStringLiteral("%1 und %2 gehen nicht zusammen.").arg(chosenName, spelled(name)));
        }
        chosen = option;
        chosenName = spelled(name);
    }
    ViewerRequest request;
    if (help || version) {
        request.action = help ? Action::Help : Action::Version;
        return request;
    }

    QStringList given = parser.positionalArguments();
    if (chosen == nullptr) {
        // The window, with the file or with the dialog that asks for it.
        if (given.size() > 1) {
            return refused(tooMany(given.at(1), QStringLiteral("[DATEI]")));
        }
        QString why;
        if (!given.isEmpty() && !takeValue(Value::File, given.constFirst(), request, &why)) {
            return refused(why);
        }
        return request;
    }
    const QString own = parser.value(chosen->names.constLast());
    if (isOptionSpelling(own)) {
        return refused(chosen->missing);
    }
    given.prepend(own);
    // The shorter form where exactly its values are given.
    const bool shorter = !chosen->shortValues.isEmpty() && given.size() == chosen->shortValues.size();
    const QList<Value> &values = shorter ? chosen->shortValues : chosen->values;
    if (given.size() < values.size()) {
        return refused(chosen->missing);
    }
    if (given.size() > values.size()) {
        return refused(tooMany(given.at(values.size()), syntax(*chosen)));
    }
    for (qsizetype i = 0; i < given.size(); ++i) {
        QString why;
        if (!takeValue(values.at(i), given.at(i), request, &why)) {
            return refused(why);
        }
    }
    request.action = shorter ? chosen->shortAction : chosen->action;
    return request;
}

ViewerRequest readViewerArguments(int argc, char *argv[])
{
    return readViewerArguments(programArguments(argc, argv));
}

std::optional<int> answerWithoutDisplay(const ViewerRequest &request, int &argc, char *argv[], QTextStream &out,
                                        QTextStream &err)
{
    switch (request.action) {
    case ViewerRequest::Action::Help:
        out << viewerHelpText();
        return 0;
    case ViewerRequest::Action::Version:
        out << QStringLiteral("merivox-view " MERIVOX_VERSION) << Qt::endl;
        return 0;
    case ViewerRequest::Action::Refused:
        err << request.refusal << QLatin1Char('\n')
            << QStringLiteral("„merivox-view --help“ zeigt, welche Optionen es gibt.") << Qt::endl;
        return 2;
    case ViewerRequest::Action::Check: {
        // No display needed: a core application only.
        QCoreApplication app(argc, argv);
        return checkFile(request.path, out, err);
    }
    case ViewerRequest::Action::Remove: {
        QCoreApplication app(argc, argv);
        return removeRecordAtLine(request.path, request.line, out, err);
    }
    case ViewerRequest::Action::Repair: {
        QCoreApplication app(argc, argv);
        return repairLine(request.path, request.line, out, err);
    }
    case ViewerRequest::Action::History: {
        QCoreApplication app(argc, argv);
        return listHistory(request.path, out, err);
    }
    case ViewerRequest::Action::Restore: {
        QCoreApplication app(argc, argv);
        return restoreFromHistory(request.path, request.entry, out, err);
    }
    case ViewerRequest::Action::Sheet:
    case ViewerRequest::Action::Catalogue: {
        // Refused here already, so that nothing is loaded for a PDF that is not written.
        const QString refusal = outputRefusal(request.pdfPath, request.path, pdfOutput());
        if (!refusal.isEmpty()) {
            err << refusal << Qt::endl;
            return 2;
        }
        break;
    }
    case ViewerRequest::Action::Window:
        break;
    }
    return std::nullopt;
}

QString countText(qsizetype records, qsizetype problems, qsizetype hints)
{
    QString text =
        QStringLiteral("%1, %2").arg(counted(records, QStringLiteral("Eintrag"), QStringLiteral("Einträge")),
                                     counted(problems, QStringLiteral("Problem"), QStringLiteral("Probleme")));
    if (hints > 0) {
        text += QStringLiteral(", ") + counted(hints, QStringLiteral("Hinweis"), QStringLiteral("Hinweise"));
    }
    return text;
}

int checkFile(const QString &path, QTextStream &out, QTextStream &err)
{
    // The file is read piece by piece and every note printed as soon as it is certain: a file of
    // any size, with any number of problems, is checked in little memory.
    QString error;
    const std::optional<ProbeFile::Totals> totals = ProbeFile::check(
        path, [&out](const Problem &note) { out << note.line << ": " << noteText(note) << '\n'; }, &error);
    if (!totals) {
        err << error << Qt::endl;
        return 2;
    }
    // A change in place cut short is named, not finished: checking changes nothing.
    const std::filesystem::path file = QDir::toNativeSeparators(path).toStdU16String();
    if (hasUnfinishedChange(file)) {
        out << unfinishedChangeText(QString::fromStdU16String(changeNotePath(file).filename().u16string())) << '\n';
    }
    out << countText(totals->records, totals->problems, totals->hints) << Qt::endl;
    return totals->problems == 0 ? 0 : 1;
}

} // namespace merivox
