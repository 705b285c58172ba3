#pragma once

#include "platform/filesystem.h"
#include "profiles/profile.h"

#include <optional>

// Why a typed name cannot name a profile.
enum class NameProblem
{
    invalid,
    forbiddenCharacter,
};

// The operations on profile files that the user asks for by name: rename,
// duplicate and delete. They never replace a file, and never touch a folder.
class ProfileFiles final
{
public:
    explicit ProfileFiles(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // The file name a typed name gives: trimmed, with ".plist" appended.
    static Result<QString, NameProblem> validatedFileName(const QString& typedName);

    // Renames the profile to `fileName` in `folder`; the new path. A name
    // that something holds already fails with ErrorCode::alreadyExists.
    Result<QString> rename(const Profile& profile, const QString& folder, const QString& fileName);
    // Copies the profile beside itself as "Name Copy", "Name Copy 2", …; the
    // copy's path.
    Result<QString> duplicate(const Profile& profile, const QString& folder);
    Result<void> remove(const Profile& profile);

    // Whether `folder` is the folder `expected` names, reached by whatever
    // path (a link, "..", a bind mount): compared by identity when both can
    // be found, else by path.
    bool isSameFolder(const QString& folder, const QString& expected,
                      const std::optional<FileIdentity>& expectedIdentity) const;

private:
    FileSystem& m_fileSystem;
};
