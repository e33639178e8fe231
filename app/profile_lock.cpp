#include "app/profile_lock.h"

#include "app/peer_process.h"
#include "platform/trace.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

// How often a waiting start looks at the lock again.
constexpr int kPollStepMs = 100;
// How long a lock whose holder the file does not name is waited for: a holder that has
// just taken it writes its name right after.
constexpr std::chrono::milliseconds kUnknownHolder{3000};
constexpr qint64 kHolderRecordLimit = 4096;

}  // namespace

ProfileLock::ProfileLock(QString lockFile, InstanceHandover& handover)
    : m_lockFile(std::move(lockFile)), m_handover(handover) {}

ProfileLock::Outcome ProfileLock::Take() {
  using Clock = std::chrono::steady_clock;
  const HandoverTiming& timing = m_handover.Timing();
  QDir().mkpath(QFileInfo(m_lockFile).path());
  m_fd = ::open(QFile::encodeName(m_lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (m_fd < 0) {
    TraceFormat(QStringLiteral("----------profile lock cannot be opened----------%s\n"),
                m_lockFile + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    return Outcome::CannotWait;
  }
  std::unique_ptr<PeerProcess> holder;
  Clock::time_point since;
  bool terminated = false;
  bool killed = false;
  for (;;) {
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
      WriteHolder();
      return Outcome::Held;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      TraceFormat(QStringLiteral("----------profile cannot be locked----------%s\n"),
                  m_lockFile + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
      return Outcome::CannotWait;
    }
    if (m_handover.PollInstanceMessage()) return Outcome::ToldToEnd;
    const Holder named = ReadHolder();
    if (!holder || holder->Pid() != named.pid) {
      holder = std::make_unique<PeerProcess>(named.pid);
      since = Clock::now();
      terminated = killed = false;
      if (!holder->IsHeld()) continue;
      TraceFormat(QStringLiteral("----------profile in use, waiting for its holder----------%s\n"),
                  QString::number(named.pid));
      // Told as a newer start tells the instance it finds under its own socket name;
      // that returns once the holder has ended, or has been ended.
      if (!named.socket.isEmpty() && named.socket != m_handover.ListeningSocket())
        m_handover.TellInstanceAt(named.socket);
      continue;
    }
    const auto waited = Clock::now() - since;
    if (!holder->IsHeld() || holder->HasEnded() || !holder->IsThisProgram()) {
      // Held by a process the file does not name (or not yet): none that could be waited
      // for knowingly, nor ended.
      if (waited >= kUnknownHolder) {
        TraceFormat(QStringLiteral("----------profile held by an unknown process----------%s\n"), m_lockFile);
        return Outcome::CannotWait;
      }
    } else if (!terminated && waited >= timing.grace) {
      holder->End(SIGTERM);
      terminated = true;
    } else if (terminated && !killed && waited >= timing.grace + timing.terminate) {
      holder->End(SIGKILL);
      killed = true;
    } else if (killed && waited >= timing.grace + 2 * timing.terminate) {
      // Not even SIGKILL ends it (stuck in the kernel, on a hung file system): this start
      // gives up rather than wait without end before it shows any window.
      TraceFormat(QStringLiteral("----------profile holder does not end----------%s\n"),
                  QString::number(holder->Pid()));
      return Outcome::HolderStays;
    }
    // Wakes as soon as the holder ends.
    pollfd watched{holder->Fd(), POLLIN, 0};
    ::poll(&watched, holder->IsHeld() ? 1 : 0, kPollStepMs);
  }
}

ProfileLock::Holder ProfileLock::ReadHolder() const {
  QByteArray record(kHolderRecordLimit, '\0');
  const ssize_t got = ::pread(m_fd, record.data(), static_cast<std::size_t>(record.size()), 0);
  record.truncate(got > 0 ? got : 0);
  const QList<QByteArray> lines = record.split('\n');
  return Holder{lines.value(0).toInt(), QFile::decodeName(lines.value(1))};
}

void ProfileLock::WriteHolder() const {
  const QByteArray record =
      QByteArray::number(::getpid()) + '\n' + QFile::encodeName(m_handover.ListeningSocket()) + '\n';
  if (::ftruncate(m_fd, 0) != 0 ||
      ::pwrite(m_fd, record.constData(), static_cast<std::size_t>(record.size()), 0) != record.size())
    TraceFormat(QStringLiteral("----------profile holder not recorded----------%s\n"), m_lockFile);
}

}  // namespace tarvex
