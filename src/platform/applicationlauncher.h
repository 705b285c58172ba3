#pragma once

#include "platform/result.h"

#include <QString>

#include <optional>

// Finds installed applications and starts them.
class ApplicationLauncher
{
public:
    virtual ~ApplicationLauncher() = default;

    // The location (on this desktop, a desktop entry) of the application
    // with this bundle ID.
    virtual std::optional<QString> locationForApplication(const QString& bundleIdentifier) = 0;
    // Starts the application; the ID of the process started, which may be a
    // wrapper that becomes the application only later, or 0 when the system
    // does not tell. That process is a child of this one, which the caller
    // reaps.
    [[nodiscard]] virtual Result<qint64> open(const QString& location) = 0;
};
