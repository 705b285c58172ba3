#pragma once

#include "platform/systemlog.h"

#include <QStringList>

class RecordingLog : public SystemLog
{
public:
    QStringList lines;
    void write(const QString& line) override { lines.append(line); }
};
