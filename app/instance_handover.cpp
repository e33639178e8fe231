#include "app/instance_handover.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

namespace tarvex {

InstanceHandover::InstanceHandover(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_turn(m_socketPath + QStringLiteral(".lock")) {}

void InstanceHandover::WaitForTurn(int waitMilliseconds) {
  // A lock left by a crashed instance is stale at once (its process is gone).
  m_turn.tryLock(waitMilliseconds);
}

InstanceHandover::~InstanceHandover() { Release(); }

bool InstanceHandover::TellRunningInstance(int waitMilliseconds) {
  QLocalSocket socket;
  socket.connectToServer(m_socketPath);
  if (!socket.waitForConnected(1000)) return false;  // nobody there, or a stale socket

  QByteArray message;
  QDataStream(&message, QIODevice::WriteOnly) << kInstanceMessage;
  socket.write(message);
  socket.waitForBytesWritten(1000);
  // The old instance keeps the connection open until it has let go of the profile.
  const QDeadlineTimer deadline(waitMilliseconds);
  while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
    socket.waitForDisconnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  }
  return true;
}

bool InstanceHandover::Listen() {
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(m_socketPath);
  const bool listening = m_server->listen(m_socketPath);
  if (m_turn.isLocked()) m_turn.unlock();
  if (!listening) return false;
  connect(m_server, &QLocalServer::newConnection, this, &InstanceHandover::OnNewConnection);
  return true;
}

void InstanceHandover::Release() {
  for (QLocalSocket* socket : std::as_const(m_waiting)) {
    socket->disconnectFromServer();
    socket->deleteLater();
  }
  m_waiting.clear();
}

void InstanceHandover::OnNewConnection() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() < static_cast<qint64>(sizeof(quint32))) return;
      quint32 message = 0;
      QDataStream(socket) >> message;
      if (message != kInstanceMessage) {
        socket->disconnectFromServer();
        return;
      }
      m_waiting.append(socket);
      // Give the name up now, while the socket file is still ours: closing the server
      // later, at exit, would delete the newer instance's socket under the same name.
      m_server->close();
      Q_EMIT instanceMessageReceived();
    });
    connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
      m_waiting.removeAll(socket);
      socket->deleteLater();
    });
  }
}

}  // namespace tarvex
