#include "app/instance_handover.h"

#include "app/peer_process.h"
#include "platform/trace.h"

#include <QFile>
#include <QSocketNotifier>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarvex {
namespace {

constexpr int kListenBacklog = 16;
// How often a waiting start looks at whether the older process still lives.
constexpr int kPollStepMs = 100;
constexpr int kConnectAttempts = 8;
// How often a start tells the instance that holds the socket name to end before it gives up
// on the name (each time waiting for that instance's process to end).
constexpr int kTakeOverAttempts = 4;

bool SocketAddress(const QString& path, sockaddr_un& address) {
  const QByteArray encoded = QFile::encodeName(path);
  std::memset(&address, 0, sizeof(address));
  address.sun_family = AF_UNIX;
  if (encoded.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) return false;
  std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
  return true;
}

// What a starting instance sends: the message, then when it started, both big-endian. The
// time is on the monotonic clock, which all processes of the machine share.
constexpr qsizetype kMessageSize = 12;
// What a told instance answers when it hands its login token on: when the token was first
// read, the token's length in bytes, and its bytes.
constexpr qsizetype kTokenHeaderSize = 9;
constexpr qsizetype kTokenLimit = 255;

qint64 MonotonicNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

QByteArray EncodedMessage(qint64 startedAt) {
  QByteArray bytes(kMessageSize, '\0');
  qToBigEndian(InstanceHandover::kInstanceMessage, bytes.data());
  qToBigEndian(startedAt, bytes.data() + 4);
  return bytes;
}

QByteArray EncodedToken(const HandedOnToken& token) {
  const QByteArray text = token.text.toUtf8().left(kTokenLimit);
  QByteArray bytes(kTokenHeaderSize, '\0');
  qToBigEndian(token.readAt, bytes.data());
  bytes[8] = static_cast<char>(text.size());
  return bytes + text;
}

// The token in an answer; none when the answer holds none, or only part of one.
HandedOnToken DecodedToken(const QByteArray& bytes) {
  if (bytes.size() < kTokenHeaderSize) return {};
  const qsizetype length = static_cast<unsigned char>(bytes[8]);
  if (bytes.size() < kTokenHeaderSize + length) return {};
  return HandedOnToken{QString::fromUtf8(bytes.mid(kTokenHeaderSize, length)),
                       qFromBigEndian<qint64>(bytes.constData())};
}

// The process that listens on the other end of a connected socket, when it is this user's.
pid_t ListeningProcess(int fd) {
  ucred credentials{};
  socklen_t length = sizeof(credentials);
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return 0;
  return credentials.uid == ::getuid() && credentials.pid > 0 ? credentials.pid : 0;
}

// Reads what has arrived on the connection into `answer` (bounded); true once it is closed.
bool ReadAvailable(int fd, QByteArray& answer) {
  for (;;) {
    char bytes[64];
    const ssize_t got = ::recv(fd, bytes, sizeof(bytes), MSG_DONTWAIT);
    if (got > 0 && answer.size() < kTokenHeaderSize + kTokenLimit) answer.append(bytes, got);
    if (got > 0 || (got < 0 && errno == EINTR)) continue;
    return got == 0 || errno != EAGAIN;
  }
}

// Waits until the connection closes (its process has ended, or closed it) or `peer` has
// ended, keeping what it answers in `answer`; ends `peer` once it has overstayed, if it is
// this program. Returns when it may be assumed gone, or when it is another program, which
// is not waited for longer.
void WaitForPeerToEnd(int fd, const PeerProcess& peer, const HandoverTiming& timing, QByteArray& answer) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  bool terminated = false;
  bool killed = false;
  for (;;) {
    std::array<pollfd, 2> watched{pollfd{fd, POLLIN, 0}, pollfd{peer.Fd(), POLLIN, 0}};
    if (::poll(watched.data(), peer.IsHeld() ? 2 : 1, kPollStepMs) > 0) {
      // Whatever it answered arrived before its connection closed or its process ended.
      if (ReadAvailable(fd, answer) || watched[1].revents != 0) return;
    }
    const auto waited = Clock::now() - start;
    if (!peer.IsHeld()) {
      // Nobody to end: the connection alone tells, bounded.
      if (waited >= timing.grace + timing.terminate) return;
    } else if (!terminated && waited >= timing.grace) {
      TraceFormat(QStringLiteral("----------older instance overstays, terminating----------%s\n"),
                  QString::number(peer.Pid()));
      if (!peer.End(SIGTERM)) return;
      terminated = true;
    } else if (terminated && !killed && waited >= timing.grace + timing.terminate) {
      TraceFormat(QStringLiteral("----------older instance still there, killing----------%s\n"),
                  QString::number(peer.Pid()));
      if (!peer.End(SIGKILL)) return;
      killed = true;
    } else if (killed && waited >= timing.grace + 2 * timing.terminate) {
      // Not even SIGKILL ends it (stuck in the kernel, on a hung file system): the caller
      // finds its socket still answering and goes on without the name.
      return;
    }
  }
}

// What a connection attempt to the socket name found.
enum class Reach {
  Answered,  // an instance listens and took the connection
  Refused,   // nobody listens: no socket file, or one that nobody has listened on since
  Silent,    // the attempt timed out or failed otherwise: maybe an instance that is alive
};

struct Probe {
  int fd = -1;  // the connection when answered
  Reach reach = Reach::Silent;
};

// Connects to whoever listens on `path`. A refused connection comes from a socket file that
// an ended instance left, or from one that another start has bound and not listened on yet.
// An instance that is alive but not accepting (its queue full, its process stopped) is
// waited for, bounded.
Probe ConnectToRunningInstance(const QString& path, std::chrono::milliseconds timeout) {
  sockaddr_un address{};
  if (!SocketAddress(path, address)) return {};
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  const timeval sendTimeout{static_cast<time_t>(seconds.count()),
                            static_cast<suseconds_t>(std::chrono::microseconds(timeout - seconds).count())};
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return {fd, Reach::Answered};
    const int error = errno;
    ::close(fd);
    if (error == ECONNREFUSED || error == ENOENT) return {-1, Reach::Refused};
    if (error != EINTR && error != EAGAIN && error != ETIMEDOUT && error != EINPROGRESS) return {};
  }
  TraceFormat(QStringLiteral("----------running instance does not answer----------%s\n"), path);
  return {};
}

}  // namespace

InstanceHandover::InstanceHandover(QString socketPath, HandoverTiming timing, QObject* parent)
    : QObject(parent),
      m_socketPath(std::move(socketPath)),
      m_timing(timing),
      m_turn(m_socketPath + QStringLiteral(".lock")),
      m_startedAt(MonotonicNow()) {
  // Only a holder that has died leaves a stale turn: a live one may wait long on a stuck
  // older instance, and taking its turn away would let two starts take the name.
  m_turn.setStaleLockTime(0);
}

InstanceHandover::~InstanceHandover() {
  // The listening socket and every connection that carried the message stay open until
  // this process ends: a newer instance waits on them, and the engine lets go of the
  // profile's files only as the process ends. Closing them here would tell it too early;
  // unlinking the socket file would let a start in between find nobody. The kernel closes
  // them at exit (they are close-on-exec, so no started game keeps them). A socket file
  // left behind is stale then, and the next start removes it.
  // That includes connections not read yet: one may carry the message.
  for (Connection& connection : m_connections) delete connection.notifier;
  delete m_listenNotifier;
}

void InstanceHandover::WaitForTurn(int waitMilliseconds) {
  // A lock left by a crashed instance is stale at once (its process is gone).
  m_turn.tryLock(waitMilliseconds);
}

bool InstanceHandover::TellRunningInstance() { return TellInstanceAt(m_socketPath); }

bool InstanceHandover::TellInstanceAt(const QString& socketPath) {
  const Probe probe = ConnectToRunningInstance(socketPath, m_timing.connect);
  if (probe.reach != Reach::Answered) return false;
  const int fd = probe.fd;
  // Held from here on: whatever signal it may need goes to this process, never to one
  // that got its id after it ended.
  const PeerProcess peer(ListeningProcess(fd));
  const QByteArray message = EncodedMessage(m_startedAt);
  if (::send(fd, message.constData(), static_cast<std::size_t>(message.size()), MSG_NOSIGNAL) != message.size()) {
    ::close(fd);
    return false;
  }
  QByteArray answer;
  WaitForPeerToEnd(fd, peer, m_timing, answer);
  ::close(fd);
  const HandedOnToken token = DecodedToken(answer);
  // Of several instances told, the token read last is the newest.
  if (!token.text.isEmpty() && token.readAt >= m_receivedToken.readAt) {
    m_receivedToken = token;
    m_handedOnToken = token;  // until this instance knows which token it uses
  }
  return true;
}

void InstanceHandover::HandOnToken(const QString& token) {
  if (token.isEmpty()) {
    m_handedOnToken = {};
  } else if (token == m_receivedToken.text) {
    m_handedOnToken = m_receivedToken;  // it keeps the time it was first read
  } else {
    m_handedOnToken = HandedOnToken{token, MonotonicNow()};
  }
}

bool InstanceHandover::Listen() {
  sockaddr_un address{};
  bool listening = false;
  int error = ENAMETOOLONG;
  if (SocketAddress(m_socketPath, address)) {
    for (int attempt = 0; attempt < kTakeOverAttempts && !listening; ++attempt) {
      m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      if (m_listenFd < 0) {
        error = errno;
        break;
      }
      listening = BindAndListen(address);
      error = errno;
      if (listening || error != EADDRINUSE) break;
      ::close(m_listenFd);
      m_listenFd = -1;
      if (!FreeTakenName()) break;
    }
  }
  if (m_turn.isLocked()) m_turn.unlock();
  if (!listening) {
    TraceFormat(QStringLiteral("----------instance socket not listening----------%s\n"),
                m_socketPath + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
    if (m_listenFd >= 0) ::close(m_listenFd);
    m_listenFd = -1;
    return false;
  }
  m_listenNotifier = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
  connect(m_listenNotifier, &QSocketNotifier::activated, this, &InstanceHandover::AcceptPending);
  return true;
}

bool InstanceHandover::FreeTakenName() {
  // An instance that lives (one that started meanwhile) is told to end too.
  Probe probe = ConnectToRunningInstance(m_socketPath, m_timing.connect);
  if (probe.reach == Reach::Answered) {
    ::close(probe.fd);
    TellRunningInstance();
    return true;
  }
  // A socket that does not answer in time may be a live instance's: it stays.
  if (probe.reach == Reach::Silent) return false;
  // A refused name is a socket file an ended instance left, unless another start has bound
  // it and not listened yet. Starts bind holding the turn, so only the holder of the turn
  // may remove one, and only when it is refused once more after that start has had time
  // to listen.
  if (!m_turn.isLocked()) return false;
  ::poll(nullptr, 0, kPollStepMs);
  probe = ConnectToRunningInstance(m_socketPath, m_timing.connect);
  if (probe.reach == Reach::Answered) {
    ::close(probe.fd);
    TellRunningInstance();
  } else if (probe.reach == Reach::Refused) {
    ::unlink(QFile::encodeName(m_socketPath).constData());
  }
  return probe.reach != Reach::Silent;
}

bool InstanceHandover::BindAndListen(const sockaddr_un& address) {
  return ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
         ::chmod(address.sun_path, S_IRUSR | S_IWUSR) == 0 && ::listen(m_listenFd, kListenBacklog) == 0;
}

bool InstanceHandover::PollInstanceMessage() {
  AcceptPending();
  for (std::size_t i = m_connections.size(); i-- > 0;) {
    if (m_connections[i].received.size() < kMessageSize) ReadConnection(m_connections[i].fd);
  }
  return m_toldToEnd;
}

void InstanceHandover::AcceptPending() {
  if (m_listenFd < 0) return;
  for (;;) {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd] { ReadConnection(fd); });
    m_connections.push_back(Connection{fd, {}, notifier});
  }
}

void InstanceHandover::ReadConnection(int fd) {
  std::size_t index = 0;
  while (index < m_connections.size() && m_connections[index].fd != fd) ++index;
  if (index == m_connections.size()) return;
  Connection& connection = m_connections[index];
  while (connection.received.size() < kMessageSize) {
    char bytes[kMessageSize];
    const ssize_t got = ::recv(fd, bytes, static_cast<std::size_t>(kMessageSize - connection.received.size()), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    if (got <= 0) {  // the other side gave up before saying anything
      CloseConnection(index);
      return;
    }
    connection.received.append(bytes, got);
  }
  if (qFromBigEndian<quint32>(connection.received.constData()) != kInstanceMessage) {
    CloseConnection(index);
    return;
  }
  // A start that was under way when this instance's token was read found the token file
  // emptied for it: the token goes on to it.
  const qint64 newerStartedAt = qFromBigEndian<qint64>(connection.received.constData() + 4);
  if (!m_handedOnToken.text.isEmpty() && m_handedOnToken.readAt >= newerStartedAt) {
    const QByteArray answer = EncodedToken(m_handedOnToken);
    ::send(fd, answer.constData(), static_cast<std::size_t>(answer.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  // Kept open until this process ends: the newer instance waits on it.
  connection.notifier->setEnabled(false);
  OnToldToEnd();
}

void InstanceHandover::CloseConnection(std::size_t index) {
  Connection connection = m_connections[index];
  m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(index));
  // Possibly called from the notifier's own signal, and its descriptor number may be
  // reused at once: silence it now, delete it later.
  connection.notifier->setEnabled(false);
  connection.notifier->deleteLater();
  ::close(connection.fd);
}

void InstanceHandover::OnToldToEnd() {
  if (m_toldToEnd) return;
  m_toldToEnd = true;
  Q_EMIT instanceMessageReceived();
}

}  // namespace tarvex
