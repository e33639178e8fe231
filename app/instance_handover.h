#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>
#include <vector>

class QSocketNotifier;
struct sockaddr_un;

namespace tarvex {

// The hand-over's waits, set apart so that tests can shorten them.
struct HandoverTiming {
  // How long a running instance has to end by itself before it is asked to terminate.
  std::chrono::milliseconds grace{10000};
  // How long it then has before it is killed.
  std::chrono::milliseconds terminate{5000};
  // How long one connection attempt waits on an instance that does not accept.
  std::chrono::milliseconds connect{2000};
};

// A login token that one instance hands on to the newer one that replaces it.
struct HandedOnToken {
  QString text;
  qint64 readAt = 0;  // when it was first read from the token file, on the monotonic clock
};

// The newest instance is the one that stays, and at most one instance has the browser
// profile open at any time.
//
// A starting instance tells the running one to end (message 0x464 over a per-user local
// socket) and waits for as long as that process lives: the older instance holds every
// connection that carried the message open until its process ends, so the newer one
// learns that the profile is free from the kernel, not from a guess. An older instance
// that does not end by itself (a busy loop, a stopped process, a hung teardown) is ended
// after a grace period, through a process descriptor taken when it was reached and only
// when it runs this same program. Only then does the newer one take the socket name over.
//
// Nobody unlinks a socket path that may be another's: an instance leaves its socket file
// behind when it ends, and the next start, finding nobody listening, removes it before it
// binds its own. Starting instances take turns (a lock file beside the socket), so in a
// burst of starts each one ends the one before it and exactly one stays. GUI thread only.
class InstanceHandover final : public QObject {
  Q_OBJECT

 public:
  static constexpr quint32 kInstanceMessage = 0x464;

  // `socketPath` is the full path of the local socket.
  explicit InstanceHandover(QString socketPath, HandoverTiming timing = HandoverTiming{}, QObject* parent = nullptr);
  ~InstanceHandover() override;

  // Waits, bounded, for this instance's turn; Listen() ends the turn.
  void WaitForTurn(int waitMilliseconds);
  // Tells a running instance to end and returns once its process has ended (ending it
  // after the grace period). Returns whether an older instance was found.
  bool TellRunningInstance();
  // The same for the instance that listens on another socket (one this start cannot find
  // under its own name).
  bool TellInstanceAt(const QString& socketPath);
  // The login token an instance told to end handed on; empty when none did.
  const QString& ReceivedToken() const { return m_receivedToken.text; }
  // The token this instance uses, read from the token file or received. A newer start that
  // was already under way when it was read gets it when it tells this instance to end: the
  // token file it would have read was emptied by this one.
  void HandOnToken(const QString& token);
  // Listens under the socket name and ends this instance's turn. A stale socket file is
  // removed, only by the holder of the turn; an instance that took the name meanwhile is
  // told to end first; a socket that does not answer is left alone. Returns false when the
  // name cannot be taken (traced).
  bool Listen();
  // The socket this instance listens on; empty when it has none.
  QString ListeningSocket() const { return m_listenFd >= 0 ? m_socketPath : QString(); }
  const HandoverTiming& Timing() const { return m_timing; }
  // Reads what has already arrived without waiting for the event loop: true when a newer
  // instance has told this one to end, now or before.
  bool PollInstanceMessage();

 Q_SIGNALS:
  // A newer instance told this one to end. Emitted once.
  void instanceMessageReceived();

 private:
  struct Connection {
    int fd = -1;
    QByteArray received;
    QSocketNotifier* notifier = nullptr;
  };

  bool BindAndListen(const sockaddr_un& address);
  // Makes a socket name that is taken free again, when that is safe: tells a live
  // instance to end, removes a socket file nobody listens on. False when the name has to
  // be given up.
  bool FreeTakenName();
  void AcceptPending();
  void ReadConnection(int fd);
  void CloseConnection(std::size_t index);
  void OnToldToEnd();

  QString m_socketPath;
  HandoverTiming m_timing;
  QLockFile m_turn;
  qint64 m_startedAt;
  HandedOnToken m_receivedToken;
  HandedOnToken m_handedOnToken;
  int m_listenFd = -1;
  QSocketNotifier* m_listenNotifier = nullptr;
  std::vector<Connection> m_connections;
  bool m_toldToEnd = false;
};

}  // namespace tarvex
