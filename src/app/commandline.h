#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What one start of the executable asks for.
struct LaunchRequest
{
    enum class Kind
    {
        window,
        list,
        start,
        show,
        diff,
        history,
        restore,
        createShortcut,
        help,
        version
    };

    Kind kind = Kind::window;
    QString profileName;
    // --diff: the other profile, none for Pelvaro's preferences; --restore:
    // the version.
    std::optional<QString> other;
    std::optional<QString> folder;
};

struct ParsedCommandLine
{
    std::optional<LaunchRequest> request;
    // Set when parsing failed, or for --help and --version: the text to print.
    QString output;
    int exitCode = 0;
};

namespace command_line {
ParsedCommandLine parse(const QStringList& arguments);
} // namespace command_line
