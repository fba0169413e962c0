#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <initializer_list>

namespace {

struct OptionSpec {
    const char* names;      // comma-separated, the long name last
    const char* valueName;  // nullptr: a flag
    const char* description;  // nullptr: kept out of the help
};

// The program's own options: add one here, then ask CommandLine::isSet.
constexpr std::initializer_list<OptionSpec> kOptions = {
    {"check", nullptr,
     "Checks the data directory (DATA_DIR, or the one the configuration names) and says what "
     "is wrong and what to do; writes nothing. Exit status 0: sound, 1: problems found, 2: "
     "the folder cannot be read."},
};

// Qt's own window-system options, which QApplication takes off the command
// line after this parse; listed so that they pass, kept out of the help.
constexpr OptionSpec kQtOptions[] = {
    {"platform", "name", nullptr},    {"platformpluginpath", "path", nullptr},
    {"platformtheme", "name", nullptr}, {"plugin", "name", nullptr},
    {"qwindowgeometry", "geometry", nullptr}, {"qwindowicon", "icon", nullptr},
    {"qwindowtitle", "title", nullptr}, {"display", "name", nullptr},
    {"geometry", "geometry", nullptr}, {"title", "title", nullptr},
    {"style", "name", nullptr},       {"stylesheet", "file", nullptr},
    {"session", "id", nullptr},       {"reverse", nullptr, nullptr},
    {"widgetcount", nullptr, nullptr}, {"nograb", nullptr, nullptr},
    {"dograb", nullptr, nullptr},     {"sync", nullptr, nullptr},
};

QCommandLineOption makeOption(const OptionSpec& spec) {
    QCommandLineOption option(QString::fromLatin1(spec.names).split(u','),
                              spec.description ? QString::fromUtf8(spec.description) : QString(),
                              spec.valueName ? QString::fromLatin1(spec.valueName) : QString());
    if (!spec.description) option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    const QString program =
        arguments.isEmpty() ? QStringLiteral("tallybrook") : QFileInfo(arguments[0]).fileName();
    QCommandLineParser parser;
    // Qt's options are single-dash words ("-style fusion").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Writes, keeps and sends the sales documents of a small business."));
    // Not addHelpOption(): its --help-all lists Qt's options only when Qt
    // prints the help itself, which needs an application object.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Displays help on command-line options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    QStringList own;
    for (const OptionSpec& spec : kOptions) {
        const QCommandLineOption option = makeOption(spec);
        parser.addOption(option);
        own.append(option.names().constLast());
    }
    for (const OptionSpec& spec : kQtOptions) parser.addOption(makeOption(spec));

    CommandLine result;
    QString error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
    } else if (const QStringList args = parser.positionalArguments();
               args.size() > (parser.isSet(QStringLiteral("check")) ? 1 : 0)) {
        // The program opens no file named on its command line; the check
        // takes one folder.
        error = QStringLiteral("Unexpected argument '%1'.").arg(args.constLast());
    }
    if (!error.isEmpty()) {
        result.run = false;
        result.exitCode = 2;
        result.err = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                         .arg(program, error);
        return result;
    }
    if (parser.isSet(help)) {
        result.run = false;
        // Without an application object Qt names the program by a placeholder.
        result.out = parser.helpText().replace(QStringLiteral("<executable_name>"), program);
        return result;
    }
    if (parser.isSet(version)) {
        result.run = false;
        result.out = QStringLiteral("Tallybrook " TALLYBROOK_VERSION "\n");
        return result;
    }
    for (const QString& name : own) {
        if (parser.isSet(name)) result.given.append(name);
    }
    result.positional = parser.positionalArguments();
    return result;
}
