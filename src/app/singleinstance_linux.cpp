#include "app/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qsizetype maximumLineLength = 1 << 20;

QString lockPathIn(const QString& runtimeFolder)
{
    return runtimeFolder + u"/pelvaro-launcher.lock";
}

QString socketPathIn(const QString& runtimeFolder)
{
    return runtimeFolder + u"/pelvaro-launcher.socket";
}

std::optional<sockaddr_un> socketAddress(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(encoded.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return address;
}

// Waits for `events` on `fd` until `deadline`; false on timeout or error.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int result = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (result > 0)
            return (entry.revents & (events | POLLHUP)) != 0;
        if (result == 0 || errno != EINTR)
            return false;
    }
}

bool writeAll(int fd, const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result =
            ::send(fd, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
        if (result > 0) {
            written += result;
        } else if (result < 0 && errno == EINTR) {
            continue;
        } else if (result < 0 && errno == EAGAIN) {
            if (!waitFor(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// Reads what is available without blocking into `buffer`. False once the
// peer has closed or failed, or the line grows too long.
bool readAvailable(int fd, QByteArray* buffer)
{
    char chunk[4096];
    for (;;) {
        const ssize_t result = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (result > 0) {
            buffer->append(chunk, qsizetype(result));
            if (buffer->size() > maximumLineLength)
                return false;
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        return result < 0 && errno == EAGAIN;
    }
}

QByteArray encodeLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// One connection to the primary: reads a request line, answers it, closes.
class Connection : public QObject
{
public:
    Connection(posix_file::FileDescriptor fd, const SingleInstance::Handler& handler,
               QObject* parent)
        : QObject(parent), m_fd(std::move(fd)), m_handler(handler),
          m_notifier(new QSocketNotifier(m_fd.get(), QSocketNotifier::Read, this))
    {
        connect(m_notifier, &QSocketNotifier::activated, this, &Connection::readRequest);
        // A client that connects and says nothing must not hold a place.
        QTimer::singleShot(SingleInstance::requestDeadlineMs, this, &Connection::finish);
    }

private:
    void readRequest()
    {
        const bool open = readAvailable(m_fd.get(), &m_buffer);
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0 || !open) {
            // A client that has gone, with or without its line, gave up
            // waiting: what it asked for is not carried out.
            if (!open)
                finish();
            return;
        }
        m_notifier->setEnabled(false);
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(m_buffer.left(end), &error);
        const QJsonObject reply =
            error.error != QJsonParseError::NoError || !document.isObject()
                ? QJsonObject{{QStringLiteral("exitCode"), 2},
                              {QStringLiteral("message"), QStringLiteral("Not a request.")}}
            : m_handler ? m_handler(document.object())
                        : QJsonObject{};
        writeAll(m_fd.get(), encodeLine(reply), QDeadlineTimer(2000));
        finish();
    }

    void finish()
    {
        m_notifier->setEnabled(false);
        deleteLater();
    }

    posix_file::FileDescriptor m_fd;
    const SingleInstance::Handler& m_handler;
    QSocketNotifier* m_notifier;
    QByteArray m_buffer;
};

} // namespace

SingleInstance::SingleInstance(const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_lockPath(lockPathIn(runtimeFolder)),
      m_socketPath(socketPathIn(runtimeFolder))
{
    m_acceptRetry.setSingleShot(true);
    m_acceptRetry.setInterval(200);
    connect(&m_acceptRetry, &QTimer::timeout, this, [this] {
        if (m_listenerNotifier && m_connections < maximumConnections)
            m_listenerNotifier->setEnabled(true);
    });
}

SingleInstance::~SingleInstance()
{
    // Before the members they report back to are gone.
    const QObjectList children = this->children();
    for (QObject* child : children) {
        if (dynamic_cast<Connection*>(child))
            delete child;
    }
    if (m_listener.valid()) {
        m_listener.reset();
        QFile::remove(m_socketPath);
    }
}

bool SingleInstance::canListenIn(const QString& runtimeFolder)
{
    return socketAddress(socketPathIn(runtimeFolder)).has_value();
}

bool SingleInstance::isHeldIn(const QString& runtimeFolder)
{
    const posix_file::FileDescriptor fd(
        ::open(QFile::encodeName(lockPathIn(runtimeFolder)).constData(),
               O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid())
        return false;
    // A second descriptor of the same file competes for the lock like
    // another process would.
    if (posix_file::retrying([&] { return ::flock(fd.get(), LOCK_SH | LOCK_NB); }) != 0)
        return errno == EWOULDBLOCK;
    return false;
}

bool SingleInstance::claim()
{
    if (m_primary)
        return true;
    posix_file::FileDescriptor fd(::open(QFile::encodeName(m_lockPath).constData(),
                                         O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid() ||
        posix_file::retrying([&] { return ::flock(fd.get(), LOCK_EX | LOCK_NB); }) != 0)
        return false;
    m_lock = std::move(fd);
    m_primary = true;
    if (m_listenAtClaim)
        listen();
    return true;
}

void SingleInstance::listen()
{
    if (!m_primary || m_listener.valid() || m_listenFailure)
        return;
    const std::optional<sockaddr_un> address = socketAddress(m_socketPath);
    if (!address) {
        m_listenFailure = ENAMETOOLONG;
        return;
    }
    posix_file::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.valid()) {
        m_listenFailure = errno;
        return;
    }
    // A socket left by a launcher that crashed is ours to replace now.
    ::unlink(address->sun_path);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(address->sun_path, 0600) != 0 || ::listen(fd.get(), 8) != 0) {
        m_listenFailure = errno;
        return;
    }
    m_listener = std::move(fd);
    m_listenerNotifier = new QSocketNotifier(m_listener.get(), QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this,
            &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections()
{
    while (m_connections < maximumConnections) {
        posix_file::FileDescriptor fd(
            ::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the listener stays readable,
                // so it rests a while instead of spinning.
                m_listenerNotifier->setEnabled(false);
                m_acceptRetry.start();
            }
            return;
        }
        // Only this user's processes may ask.
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
            peer.uid != ::getuid())
            continue;
        ++m_connections;
        auto* connection = new Connection(std::move(fd), m_handler, this);
        connect(connection, &QObject::destroyed, this, &SingleInstance::connectionClosed);
    }
    // Full: the others wait in the backlog until a place is free.
    m_listenerNotifier->setEnabled(false);
}

void SingleInstance::connectionClosed()
{
    --m_connections;
    if (m_listenerNotifier && !m_acceptRetry.isActive())
        m_listenerNotifier->setEnabled(true);
}

std::optional<SingleInstance::Outcome>
SingleInstance::sendUntil(const QJsonObject& request, const QElapsedTimer& clock, qint64 patienceMs,
                          const std::function<void()>& tick) const
{
    const std::optional<sockaddr_un> address = socketAddress(m_socketPath);
    if (!address)
        return std::nullopt;
    const posix_file::FileDescriptor socket(
        ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid())
        return std::nullopt;
    const int fd = socket.get();
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
        return std::nullopt;
    // The request names profiles and folders: it goes to this user only.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
        return Outcome{Outcome::Kind::wrongPeer, {}};
    const QDeadlineTimer deadline(std::max<qint64>(0, patienceMs - clock.elapsed()));
    if (!writeAll(fd, encodeLine(request), deadline))
        return Outcome{Outcome::Kind::noAnswer, {}};
    QByteArray buffer;
    bool open = true;
    while (open && !buffer.contains('\n') && !deadline.hasExpired()) {
        // In slices, so that the caller can say it is still waiting.
        const QDeadlineTimer slice(std::min<qint64>(deadline.remainingTime(), 100));
        if (waitFor(fd, POLLIN, slice))
            open = readAvailable(fd, &buffer);
        if (tick)
            tick();
    }
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0)
        return Outcome{Outcome::Kind::noAnswer, {}};
    return Outcome{Outcome::Kind::answered, QJsonDocument::fromJson(buffer.left(end)).object()};
}

SingleInstance::Outcome SingleInstance::claimOrHandOver(const QJsonObject& request, int patienceMs,
                                                        const std::function<void()>& stillWaiting,
                                                        int noticeAfterMs)
{
    QElapsedTimer clock;
    clock.start();
    bool noticed = false;
    const auto tick = [&] {
        if (!noticed && clock.elapsed() >= noticeAfterMs) {
            noticed = true;
            if (stillWaiting)
                stillWaiting();
        }
    };
    for (;;) {
        if (claim())
            return {Outcome::Kind::claimed, {}};
        // The lock is held: its holder answers, or is starting to listen,
        // or is on its way out and the lock is free in a moment.
        if (std::optional<Outcome> outcome = sendUntil(request, clock, patienceMs, tick))
            return *outcome;
        tick();
        if (clock.elapsed() >= patienceMs)
            return {Outcome::Kind::noAnswer, {}};
        ::usleep(20'000);
    }
}
