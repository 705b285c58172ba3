#pragma once

#include <QJsonObject>
#include <QObject>

#include <functional>
#include <optional>

class QSocketNotifier;

// One launcher per user: the first start holds an advisory lock on a file in
// the user's runtime folder and listens on a local socket beside it; later
// starts hand their request to it over that socket, one JSON line each way,
// and exit. The system drops the lock with the process that held it, so a
// crashed launcher leaves nothing stale.
//
// The socket is a plain Unix-domain socket: Qt's local sockets would bring
// Qt Network, and the libraries it needs, into every start of the window.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<QJsonObject(const QJsonObject& request)>;

    explicit SingleInstance(const QString& runtimeFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the primary instance; false when another live launcher is it.
    bool claim();
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // The primary's answer to a request, or none when no launcher answers.
    std::optional<QJsonObject> send(const QJsonObject& request, int timeoutMs = 10000) const;

private:
    void listen();
    void acceptConnections();

    QString m_lockPath;
    QString m_socketPath;
    int m_lock = -1;
    int m_listener = -1;
    QSocketNotifier* m_listenerNotifier = nullptr;
    bool m_primary = false;
    Handler m_handler;
};
