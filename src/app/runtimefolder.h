#pragma once

#include <QString>

#include <optional>

// The folder for the launcher's lock and socket: $XDG_RUNTIME_DIR when it is
// a folder of the user's that only the user can enter, or else a folder
// "pelvaro-launcher-<uid>" in the temporary folder, made and checked the
// same way. Another user who made that folder first, or put a link in its
// place, must never receive the launcher's requests or answer them.
class RuntimeFolder
{
public:
    // The folder, or none with `refusedPath` set to the folder refused.
    static std::optional<QString> locate(QString* refusedPath);
    // Whether `path` is a folder, not a link, owned by this user, mode 0700.
    static bool isPrivateFolder(const QString& path);
};
