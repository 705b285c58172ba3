#pragma once

#include "platform/directorywatch.h"

#include <QTimer>

class QSocketNotifier;

// inotify on one directory. A burst of events is gathered for a few
// milliseconds and read as one batch, so that a thousand files copied in
// cause a few reports rather than a thousand.
class InotifyDirectoryWatch : public DirectoryWatch
{
    Q_OBJECT

public:
    static constexpr int gatherMs = 15;

    InotifyDirectoryWatch(int inotifyFd, QString path);
    ~InotifyDirectoryWatch() override;

    QString path() const override { return m_path; }
    int descriptor() const override { return m_fd; }
    void cancel() override;

private:
    void readEvents();

    int m_fd;
    QString m_path;
    QSocketNotifier* m_notifier;
    QTimer m_gatherTimer;
};
