#pragma once

#include "platform/applicationlauncher.h"

#include <thread>

// Applications are desktop entries named after their bundle ID, found and
// started by GIO as the desktop's own launchers do.
class GioApplicationLauncher final : public ApplicationLauncher
{
public:
    GioApplicationLauncher() = default;
    ~GioApplicationLauncher() override;
    Q_DISABLE_COPY_MOVE(GioApplicationLauncher)

    std::optional<QString> locationForApplication(const QString& bundleIdentifier) override;
    void prepare(const QString& bundleIdentifier) override;
    Result<qint64> open(const QString& location) override;

private:
    std::thread m_preparation;
};
