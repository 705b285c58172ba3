#pragma once

#include "platform/posixfile_linux.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class QSocketNotifier;

// One launcher per user: the first start holds an advisory lock on a file in
// the user's runtime folder and listens on a local socket beside it; later
// starts hand their request to it over that socket, one JSON line each way,
// and exit. The system drops the lock with the process that held it, so a
// crashed launcher leaves nothing stale.
//
// Every request is answered, once, by the instance that holds the lock; a
// client never does the work itself while another instance holds it, and a
// request whose client has gone before it was read is not carried out.
//
// The socket is a plain Unix-domain socket: Qt's local sockets would bring
// Qt Network, and the libraries it needs, into every start of the window.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    using Handler = std::function<QJsonObject(const QJsonObject& request)>;

    // How a request handed to the instance that holds the lock ended.
    struct Outcome
    {
        enum class Kind
        {
            // No instance held the lock: this one holds it now.
            claimed,
            answered,
            // The instance holding the lock did not answer in time.
            noAnswer,
            // What listens on the socket runs as another user.
            wrongPeer,
        };
        Kind kind = Kind::noAnswer;
        QJsonObject answer;
    };

    // At most this many clients are served at once; each has this long to
    // send its request.
    static constexpr int maximumConnections = 16;
    static constexpr int requestDeadlineMs = 2000;

    // `runtimeFolder` must be a private folder of this user's.
    explicit SingleInstance(const QString& runtimeFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Whether a socket in `runtimeFolder` has a path the system takes.
    static bool canListenIn(const QString& runtimeFolder);
    // Whether another launcher holds the place now; a glance that takes
    // nothing, for work worth starting only in the launcher that will.
    static bool isHeldIn(const QString& runtimeFolder);

    // Becomes the primary instance; false when another live launcher is it.
    // The primary listens for other launchers at once, or with
    // listenWhenAsked() only once listen() is called: a window listens once
    // it has painted, since making the socket costs its start a file of the
    // runtime folder, and another launcher meanwhile waits a moment longer.
    bool claim();
    void listenWhenAsked() { m_listenAtClaim = false; }
    // Listens now, when this is the primary and does not listen yet.
    void listen();
    // The primary listens for other launchers; when it cannot, the errno
    // value that said why (and the caller says so: a launcher nobody can
    // reach makes every later start wait in vain).
    std::optional<int> listenFailure() const { return m_listenFailure; }
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Becomes the primary, or hands `request` to the one there is, waiting
    // for it up to `patienceMs`. `stillWaiting` is called once when the
    // answer takes longer than `noticeAfterMs`.
    Outcome claimOrHandOver(const QJsonObject& request, int patienceMs,
                            const std::function<void()>& stillWaiting = {},
                            int noticeAfterMs = 2000);

    int openConnections() const { return m_connections; }

private:
    std::optional<Outcome> sendUntil(const QJsonObject& request, const QElapsedTimer& clock,
                                     qint64 patienceMs, const std::function<void()>& tick) const;
    std::optional<int> m_listenFailure;
    void acceptConnections();
    void connectionClosed();

    QString m_lockPath;
    QString m_socketPath;
    posix_file::FileDescriptor m_lock;
    posix_file::FileDescriptor m_listener;
    QSocketNotifier* m_listenerNotifier = nullptr;
    // Accepting again after the process ran out of file descriptors.
    QTimer m_acceptRetry;
    int m_connections = 0;
    bool m_primary = false;
    bool m_listenAtClaim = true;
    Handler m_handler;
};
