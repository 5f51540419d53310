#include "core/CommandLine.h"

#include <QCommandLineParser>

namespace kopix {

namespace {

// The options Qt's application classes take from the command line themselves, with or without a value.
const char* const qtOptionsWithValue[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon",  "qwindowtitle",       "session",       "display", "geometry",
    "style",        "stylesheet",         "name",          "title",   "visual",
    "qmljsdebugger"};
const char* const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& version) {
    QCommandLineParser parser;
    // Qt's options are spelled with one dash and a word; so are ours, with two.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Kopix: one text file of stock phrases, one line per row, always on top; select rows and "
        "slide the pointer onto a strip at the list's edge to copy them.\n"
        "Without FILE it opens the document shown when it was last closed. When Kopix already runs "
        "with the same settings file, it opens FILE there (or brings that window to the front) "
        "instead of starting another."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Displays version information."));
    const QCommandLineOption newWindow(
        QStringLiteral("new-window"),
        QStringLiteral("Starts a Kopix of its own even when one is running with the same settings file; "
                       "it does not write the settings file."));
    parser.addOption(help);
    parser.addOption(versionOption);
    parser.addOption(newWindow);
    for (const char* name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : qtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A .txt document to open."),
                                 QStringLiteral("[FILE]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        result.output = QStringLiteral("kopix: %1 Try 'kopix --help'.\n").arg(parser.errorText());
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Print;
        // Without an application object Qt cannot tell the program's name.
        result.output =
            parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("kopix"));
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = CommandLine::Action::Print;
        result.output = QStringLiteral("kopix %1\n").arg(version);
        return result;
    }
    result.document = parser.positionalArguments().value(0);
    result.newWindow = parser.isSet(newWindow);
    return result;
}

} // namespace kopix
