#pragma once

#include "platform/result.h"

#include <QString>

#include <optional>

// The folder for the launcher's lock and socket: $XDG_RUNTIME_DIR when it is
// a folder of the user's that only the user can enter, or else a folder
// "pelvaro-launcher-<uid>" in the temporary folder, made and checked the
// same way. Another user who made that folder first, or put a link in its
// place, must never receive the launcher's requests or answer them.
//
// A folder whose socket path would not fit the system's socket address
// (108 bytes with its end) cannot be listened in: the next one is tried.
class RuntimeFolder
{
public:
    struct Refusal
    {
        enum class Reason
        {
            // Another user's, a link, or open to others.
            notPrivate,
            // The socket's path in it is longer than the system allows.
            pathTooLong,
        };
        Reason reason = Reason::notPrivate;
        QString path;
    };

    static Result<QString, Refusal> locate();
    // Whether `path` is a folder, not a link, owned by this user, mode 0700.
    static bool isPrivateFolder(const QString& path);
};
