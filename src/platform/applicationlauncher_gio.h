#pragma once

#include "platform/applicationlauncher.h"

// Applications are desktop entries named after their bundle ID, found and
// started by GIO as the desktop's own launchers do.
class GioApplicationLauncher final : public ApplicationLauncher
{
public:
    GioApplicationLauncher() = default;
    Q_DISABLE_COPY_MOVE(GioApplicationLauncher)

    std::optional<QString> locationForApplication(const QString& bundleIdentifier) override;
    void prepare(const QString& bundleIdentifier) override;
    Result<qint64> open(const QString& location) override;
};
