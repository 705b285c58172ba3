#pragma once

#include "platform/applicationlauncher.h"

// Applications are desktop entries named after their bundle ID, found and
// started by GIO as the desktop's own launchers do.
class GioApplicationLauncher final : public ApplicationLauncher
{
public:
    std::optional<QString> locationForApplication(const QString& bundleIdentifier) override;
    Result<qint64> open(const QString& location) override;
};
