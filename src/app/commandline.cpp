#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

ParsedCommandLine command_line::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine",
        "Manages preference profiles for Pelvaro.\n\n"
        "Without options, opens the launcher's window, or brings an open one to the front."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("CommandLine", "Shows this help."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CommandLine", "Shows the version."));
    const QCommandLineOption list(
        QStringLiteral("list"),
        QCoreApplication::translate(
            "CommandLine", "Prints the profiles' file names, one a line. Control characters in "
                           "a name are written as C escapes (\\n, \\t, \\xHH), and a "
                           "backslash as \\\\."));
    const QCommandLineOption start(
        QStringLiteral("start"),
        QCoreApplication::translate("CommandLine",
                                    "Starts the profile with this file name or name."),
        QStringLiteral("name"));
    const QCommandLineOption folder(
        QStringLiteral("folder"),
        QCoreApplication::translate(
            "CommandLine",
            "Uses this profile folder instead of the chosen one, without changing any setting."),
        QStringLiteral("dir"));
    const QCommandLineOption show(
        QStringLiteral("show"),
        QCoreApplication::translate("CommandLine", "Prints the profile as an XML property list."),
        QStringLiteral("name"));
    const QCommandLineOption diff(
        QStringLiteral("diff"),
        QCoreApplication::translate(
            "CommandLine",
            "Prints what differs between the profile and another profile, or Pelvaro's current "
            "preferences when none is given. Exits with 0 when they are equal, 1 when they "
            "differ, 2 on errors."),
        QStringLiteral("name"));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QCoreApplication::translate("CommandLine",
                                    "Lists the profile's kept versions, newest first."),
        QStringLiteral("name"));
    const QCommandLineOption restore(
        QStringLiteral("restore"),
        QCoreApplication::translate(
            "CommandLine", "Makes a kept version (as --history names it) the profile's content; "
                           "the content it replaces is kept as a version."),
        QStringLiteral("name"));
    const QCommandLineOption createShortcut(
        QStringLiteral("create-shortcut"),
        QCoreApplication::translate("CommandLine",
                                    "Adds an entry that starts the profile to your applications "
                                    "menu, and prints its path."),
        QStringLiteral("name"));
    parser.addOptions(
        {help, version, list, start, show, diff, history, restore, createShortcut, folder});
    parser.addPositionalArgument(
        QStringLiteral("other"),
        QCoreApplication::translate("CommandLine",
                                    "With --diff, the other profile; with --restore, the version."),
        QStringLiteral("[other]"));

    ParsedCommandLine result;
    // Parsed before the application object exists, which would name the
    // program in the help text.
    const QString program =
        QFileInfo(arguments.value(0, QStringLiteral("pelvaro-launcher"))).fileName();
    QString helpText = parser.helpText().replace(QStringLiteral("<executable_name>"), program);
    // Once the application exists, Qt names the program as it was typed,
    // a whole path perhaps, in whatever language the usage line is in.
    if (QCoreApplication::instance()) {
        const QString typed = QCoreApplication::arguments().value(0);
        if (const qsizetype at = typed.isEmpty() ? -1 : helpText.indexOf(typed); at >= 0)
            helpText.replace(at, typed.size(), program);
    }
    const auto usageError = [&](const QString& message) {
        result.output = message + u'\n' +
                        QCoreApplication::translate("CommandLine", "Try '%1 --help'.").arg(program);
        result.exitCode = 2;
        return result;
    };
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return usageError(parser.errorText());
        // Named as typed: Qt's own message leaves out the dashes.
        const QString option = (unknown.first().size() == 1 ? u"-" : u"--") + unknown.first();
        return usageError(
            QCoreApplication::translate("CommandLine", "Unknown option '%1'.").arg(option));
    }
    const QStringList positional = parser.positionalArguments();
    const qsizetype positionalAllowed = parser.isSet(diff) || parser.isSet(restore) ? 1 : 0;
    if (positional.size() > positionalAllowed)
        return usageError(QCoreApplication::translate("CommandLine", "Unexpected argument \"%1\".")
                              .arg(positional.at(positionalAllowed)));
    if (parser.isSet(help)) {
        result.output = helpText;
        result.request = LaunchRequest{LaunchRequest::Kind::help, {}, {}, {}};
        return result;
    }
    if (parser.isSet(version)) {
        // As GNU programs say it; the licence's name is not translated.
        result.output =
            QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() +
            u"\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
            u"<https://gnu.org/licenses/gpl.html>.\n" +
            QCoreApplication::translate("CommandLine",
                                        "This is free software: you are free to change and "
                                        "redistribute it. There is NO WARRANTY, to the extent "
                                        "permitted by law.") +
            u'\n';
        result.request = LaunchRequest{LaunchRequest::Kind::version, {}, {}, {}};
        return result;
    }
    const QList<std::pair<const QCommandLineOption*, LaunchRequest::Kind>> commands = {
        {&list, LaunchRequest::Kind::list},
        {&start, LaunchRequest::Kind::start},
        {&show, LaunchRequest::Kind::show},
        {&diff, LaunchRequest::Kind::diff},
        {&history, LaunchRequest::Kind::history},
        {&restore, LaunchRequest::Kind::restore},
        {&createShortcut, LaunchRequest::Kind::createShortcut},
    };
    LaunchRequest request;
    const QCommandLineOption* command = nullptr;
    for (const auto& [option, kind] : commands) {
        if (!parser.isSet(*option))
            continue;
        if (command) {
            if (command == &list && option == &start)
                return usageError(QCoreApplication::translate(
                    "CommandLine", "--list and --start cannot be used together."));
            return usageError(
                QCoreApplication::translate("CommandLine", "%1 and %2 cannot be used together.")
                    .arg(u"--" + command->names().constLast(),
                         u"--" + option->names().constLast()));
        }
        command = option;
        request.kind = kind;
        if (option != &list) {
            if (parser.values(*option).size() > 1)
                return usageError(
                    QCoreApplication::translate("CommandLine", "%1 can be given once.")
                        .arg(u"--" + option->names().constLast()));
            request.profileName = parser.value(*option);
        }
    }
    if (parser.values(folder).size() > 1)
        return usageError(QCoreApplication::translate(
            "CommandLine", "--start and --folder can each be given once."));
    if (parser.isSet(restore) && positional.isEmpty())
        return usageError(QCoreApplication::translate(
            "CommandLine", "--restore needs the version to restore, as --history names it."));
    if (!positional.isEmpty())
        request.other = positional.first();
    if (parser.isSet(folder)) {
        if (!command)
            return usageError(QCoreApplication::translate(
                "CommandLine", "--folder goes with a command, such as --list or --start."));
        if (parser.value(folder).isEmpty())
            return usageError(
                QCoreApplication::translate("CommandLine", "--folder needs a folder."));
        request.folder = parser.value(folder);
    }
    result.request = request;
    return result;
}
