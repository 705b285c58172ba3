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
    parser.addOptions({help, version, list, start, folder});

    ParsedCommandLine result;
    // Parsed before the application object exists, which would name the
    // program in the help text.
    const QString program =
        QFileInfo(arguments.value(0, QStringLiteral("pelvaro-launcher"))).fileName();
    const QString helpText =
        parser.helpText().replace(QStringLiteral("<executable_name>"), program);
    const auto usageError = [&](const QString& message) {
        result.output = message + u"\n\n" + helpText;
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
    if (!parser.positionalArguments().isEmpty())
        return usageError(QCoreApplication::translate("CommandLine", "Unexpected argument \"%1\".")
                              .arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        result.output = helpText;
        result.request = LaunchRequest{LaunchRequest::Kind::help, {}, {}};
        return result;
    }
    if (parser.isSet(version)) {
        result.output = QCoreApplication::applicationName() + u' ' +
                        QCoreApplication::applicationVersion() + u'\n';
        result.request = LaunchRequest{LaunchRequest::Kind::version, {}, {}};
        return result;
    }
    if (parser.isSet(list) && parser.isSet(start))
        return usageError(QCoreApplication::translate(
            "CommandLine", "--list and --start cannot be used together."));
    if (parser.values(start).size() > 1 || parser.values(folder).size() > 1)
        return usageError(QCoreApplication::translate(
            "CommandLine", "--start and --folder can each be given once."));
    LaunchRequest request;
    if (parser.isSet(folder)) {
        if (!parser.isSet(list) && !parser.isSet(start))
            return usageError(QCoreApplication::translate("CommandLine",
                                                          "--folder goes with --list or --start."));
        if (parser.value(folder).isEmpty())
            return usageError(
                QCoreApplication::translate("CommandLine", "--folder needs a folder."));
        request.folder = parser.value(folder);
    }
    if (parser.isSet(list)) {
        request.kind = LaunchRequest::Kind::list;
    } else if (parser.isSet(start)) {
        request.kind = LaunchRequest::Kind::start;
        request.profileName = parser.value(start);
    }
    result.request = request;
    return result;
}
