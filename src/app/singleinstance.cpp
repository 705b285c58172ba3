#include "app/singleinstance.h"

#include <QDir>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>

SingleInstance::SingleInstance(const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_lockPath(runtimeFolder + u"/pelvaro-launcher.lock"),
      m_socketPath(runtimeFolder + u"/pelvaro-launcher.socket"), m_lock(m_lockPath)
{
    QDir().mkpath(runtimeFolder);
    // A lock is stale only when its process is gone, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_primary)
        m_lock.unlock();
}

bool SingleInstance::claim()
{
    if (m_primary)
        return true;
    if (!m_lock.tryLock(0))
        return false;
    m_primary = true;
    // A socket left by a launcher that crashed is ours to replace now.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(m_socketPath);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::serve);
    return true;
}

void SingleInstance::serve()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
            const QJsonObject reply = m_handler ? m_handler(request) : QJsonObject{};
            socket->write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

std::optional<QJsonObject> SingleInstance::send(const QJsonObject& request, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(std::min(timeoutMs, 2000)))
        return std::nullopt;
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return std::nullopt;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return std::nullopt;
    }
    return QJsonDocument::fromJson(socket.readLine()).object();
}
