#pragma once

#include "platform/directorywatch.h"

#include <QTimer>

#include <memory>

class QSocketNotifier;

// inotify on one directory. A burst of events is gathered for a few
// milliseconds and read as one batch, so that a thousand files copied in
// cause a few reports rather than a thousand.
//
// inotify hears only of changes made through this machine's kernel. On a
// network or FUSE file system (NFS, SMB, sshfs, cloud drives) others change
// the folder unheard, so there the folder is also checked every
// `pollIntervalMs`: its times and the names it holds, without a stat per
// entry. PELVARO_FOLDER_POLLING=1 checks every folder so.
class InotifyDirectoryWatch final : public DirectoryWatch
{
    Q_OBJECT

public:
    static constexpr int gatherMs = 15;
    static constexpr int pollIntervalMs = 2000;

    // A watch on `path`, or none when it cannot be opened.
    static std::unique_ptr<InotifyDirectoryWatch> open(const QString& path);
    // Whether inotify may miss changes of the folder at `path`.
    static bool needsPolling(const QString& path);

    InotifyDirectoryWatch(int inotifyFd, QString path);
    ~InotifyDirectoryWatch() override;
    Q_DISABLE_COPY_MOVE(InotifyDirectoryWatch)

    QString path() const override { return m_path; }
    int descriptor() const override { return m_fd; }
    void cancel() override;
    bool isPolling() const { return m_pollTimer.isActive(); }
    void startPolling();

private:
    void readEvents();
    void poll();
    // What the folder's times and names are now; 0 when it is gone.
    size_t currentState() const;

    int m_fd;
    QString m_path;
    QSocketNotifier* m_notifier;
    QTimer m_gatherTimer;
    QTimer m_pollTimer;
    size_t m_polledState = 0;
};
