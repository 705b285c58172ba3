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
    // Readies the lookup and the start of this application in the
    // background; the calls above then wait for it where they need it.
    virtual void prepare(const QString& bundleIdentifier) { Q_UNUSED(bundleIdentifier); }
    // Starts the application; the ID of the process started, which may be a
    // wrapper that becomes the application only later, or 0 when the system
    // does not tell. That process is a child of this one, which the caller
    // reaps.
    [[nodiscard]] virtual Result<qint64> open(const QString& location) = 0;
};
