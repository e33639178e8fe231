#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace tarvex {

// The newest instance is the one that stays. A starting instance tells the running one to
// end (message 0x464 over a per-user local socket), waits, bounded, until the old one has
// let go of the browser profile, then takes the socket name over, so the next instance
// finds this one. A socket left by a crashed instance is removed. Starting instances take
// turns (a lock file beside the socket), so in a burst of starts each one ends the one
// before it and exactly one stays.
class InstanceHandover final : public QObject {
  Q_OBJECT

 public:
  static constexpr quint32 kInstanceMessage = 0x464;

  // `socketPath` is the full path of the local socket.
  explicit InstanceHandover(QString socketPath, QObject* parent = nullptr);
  ~InstanceHandover() override;

  // Waits, bounded, for this instance's turn; later calls of Listen end the turn.
  void WaitForTurn(int waitMilliseconds);
  // Tells a running instance to end and waits up to `waitMilliseconds` for it to go.
  // Returns whether an older instance was found.
  bool TellRunningInstance(int waitMilliseconds);
  // Listens under the socket name and ends this instance's turn. Returns false when the
  // name cannot be taken.
  bool Listen();
  // Lets the newer instance go on: closes the connection it holds open while this one ends.
  void Release();

 Q_SIGNALS:
  void instanceMessageReceived();

 private:
  void OnNewConnection();

  QString m_socketPath;
  QLockFile m_turn;
  QLocalServer* m_server = nullptr;
  QList<QLocalSocket*> m_waiting;
};

}  // namespace tarvex
