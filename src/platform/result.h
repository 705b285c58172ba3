#pragma once

#include "base/expected.h"

#include <QString>

// What a platform call was doing when it failed.
enum class Operation : quint8
{
    read,
    write,
    move,
    copy,
    remove,
    createFolder,
    lock,
    launch,
};

// Why it failed, in the terms a caller acts on and a message names.
enum class ErrorCode : quint8
{
    notFound,
    alreadyExists,
    accessDenied,
    isFolder,
    notAFolder,
    notAFile,
    tooLarge,
    nameTooLong,
    noSpace,
    readOnly,
    // Another program held a lock past the time allowed.
    locked,
    // A link stands where only a real file or folder is taken.
    isLink,
    // A link that another user owns: never followed, since its owner can
    // point it at any file of ours.
    foreignLink,
    // A folder that another user owns, where the launcher keeps files of ours.
    foreignOwner,
    // The file was replaced or changed while it was being worked on.
    changedMeanwhile,
    // A service the call needs cannot be loaded.
    unavailable,
    // Anything else; `systemError` or `systemMessage` says what.
    systemError,
};

// A failure as data: no sentence is built here. Messages are made, in the
// user's language, where they are shown.
struct PlatformError
{
    Operation operation = Operation::read;
    ErrorCode code = ErrorCode::systemError;
    QString path;
    // The errno value, when the system reported one.
    int systemError = 0;
    // A reason the system phrased itself (GLib's messages come translated).
    QString systemMessage;

    static PlatformError fromErrno(Operation operation, const QString& path, int error);
    // The failure in English for logs, which are read in no one language:
    // "write /path: noSpace (No space left on device)".
    QString diagnostic() const;
    // Why, in English: the system's own words, or the code's name.
    QString reason() const;

    friend bool operator==(const PlatformError&, const PlatformError&) = default;
};

// A platform call's value or the PlatformError that prevented it.
template <typename T, typename E = PlatformError> using Result = Expected<T, E>;
