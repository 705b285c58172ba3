#include "platform/directorywatch_linux.h"

#include "platform/posixfile_linux.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

std::unique_ptr<InotifyDirectoryWatch> InotifyDirectoryWatch::open(const QString& path)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                          IN_MOVE_SELF | IN_UNMOUNT | IN_ONLYDIR;
    if (::inotify_add_watch(fd, QFile::encodeName(path).constData(), mask) < 0) {
        ::close(fd);
        return nullptr;
    }
    auto watch = std::make_unique<InotifyDirectoryWatch>(fd, path);
    if (InotifyDirectoryWatch::needsPolling(path))
        watch->startPolling();
    return watch;
}

bool InotifyDirectoryWatch::needsPolling(const QString& path)
{
    if (qEnvironmentVariableIntValue("PELVARO_FOLDER_POLLING") == 1)
        return true;
    struct statfs info
    {
    };
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // Network file systems, and FUSE, which serves sshfs and the clients of
    // cloud drives.
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x65735546UL: // FUSE
    case 0x00C36400UL: // Ceph
    case 0x01021997UL: // 9P
    case 0x5346414FUL: // AFS
    case 0x6B414653UL: // kAFS
        return true;
    default:
        return false;
    }
}

void InotifyDirectoryWatch::startPolling()
{
    m_polledState = currentState();
    m_pollTimer.start(pollIntervalMs);
}

size_t InotifyDirectoryWatch::currentState() const
{
    const QByteArray encodedPath = QFile::encodeName(m_path);
    struct stat info
    {
    };
    if (::stat(encodedPath.constData(), &info) != 0)
        return 0;
    size_t seed = qHashMulti(0, quint64(info.st_dev), quint64(info.st_ino),
                             qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec),
                             qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec));
    // Attributes of a network folder may come from a cache; listing it
    // asks the server.
    if (DIR* directory = ::opendir(encodedPath.constData())) {
        size_t names = 0;
        while (const dirent* entry = ::readdir(directory))
            names += qHash(QByteArrayView(entry->d_name)); // in any order
        ::closedir(directory);
        seed = qHashMulti(seed, names);
    }
    return seed == 0 ? 1 : seed;
}

void InotifyDirectoryWatch::poll()
{
    const size_t state = currentState();
    if (state == m_polledState)
        return;
    m_polledState = state;
    emit eventsReceived(state == 0 ? Events(deleted) : Events(written));
}

InotifyDirectoryWatch::InotifyDirectoryWatch(int inotifyFd, QString path)
    : m_fd(inotifyFd), m_path(std::move(path)),
      m_notifier(new QSocketNotifier(inotifyFd, QSocketNotifier::Read, this))
{
    m_gatherTimer.setSingleShot(true);
    m_gatherTimer.setInterval(gatherMs);
    connect(&m_gatherTimer, &QTimer::timeout, this, &InotifyDirectoryWatch::readEvents);
    connect(&m_pollTimer, &QTimer::timeout, this, &InotifyDirectoryWatch::poll);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        m_notifier->setEnabled(false);
        m_gatherTimer.start();
    });
}

InotifyDirectoryWatch::~InotifyDirectoryWatch()
{
    cancel();
}

void InotifyDirectoryWatch::cancel()
{
    m_gatherTimer.stop();
    m_pollTimer.stop();
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
        m_notifier = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void InotifyDirectoryWatch::readEvents()
{
    if (m_fd < 0)
        return;
    Events events;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length =
            posix_file::retrying([&] { return ::read(m_fd, buffer, sizeof buffer); });
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if (event->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_Q_OVERFLOW))
                events |= written;
            if (event->mask & IN_DELETE_SELF)
                events |= deleted;
            if (event->mask & IN_MOVE_SELF)
                events |= renamed;
            if (event->mask & (IN_UNMOUNT | IN_IGNORED))
                events |= revoked;
            offset += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    if (m_notifier)
        m_notifier->setEnabled(true);
    if (events)
        emit eventsReceived(events);
}
