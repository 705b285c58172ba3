#pragma once

#include <QString>

#include <optional>

// A modal chooser for a single folder.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    // The confirmed folder's path, or none when the user cancelled or chose
    // nothing.
    virtual std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                                const std::optional<QString>& startFolder) = 0;
};
