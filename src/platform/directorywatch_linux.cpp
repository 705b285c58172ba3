#include "platform/directorywatch_linux.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

std::unique_ptr<DirectoryWatch> DirectoryWatch::open(const QString& path)
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
    return std::make_unique<InotifyDirectoryWatch>(fd, path);
}

InotifyDirectoryWatch::InotifyDirectoryWatch(int inotifyFd, QString path)
    : m_fd(inotifyFd), m_path(std::move(path)),
      m_notifier(new QSocketNotifier(inotifyFd, QSocketNotifier::Read, this))
{
    m_gatherTimer.setSingleShot(true);
    m_gatherTimer.setInterval(gatherMs);
    connect(&m_gatherTimer, &QTimer::timeout, this, &InotifyDirectoryWatch::readEvents);
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
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            if (event->mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_Q_OVERFLOW))
                events |= Write;
            if (event->mask & IN_DELETE_SELF)
                events |= Delete;
            if (event->mask & IN_MOVE_SELF)
                events |= Rename;
            if (event->mask & (IN_UNMOUNT | IN_IGNORED))
                events |= Revoke;
            offset += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    if (m_notifier)
        m_notifier->setEnabled(true);
    if (events)
        emit eventsReceived(events);
}
