#include "platform/systemlog.h"

#include <cstdio>
#include <syslog.h>

void SystemLog::write(const QString& line)
{
    const QByteArray text = line.toUtf8();
    // Passed as an argument, never as the format: the line is finished text.
    ::syslog(LOG_USER | LOG_NOTICE, "%s", text.constData());
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}
