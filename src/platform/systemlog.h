#pragma once

#include <QString>

// Diagnostics that are not for the user: one finished line each, to syslog
// and to standard error.
class SystemLog
{
public:
    virtual ~SystemLog() = default;
    virtual void write(const QString& line);
};
