#include "app/peer_process.h"

#include "platform/trace.h"

#include <QByteArray>
#include <QString>

#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarvex {
namespace {

// Through the system calls themselves: the C library's header for them (glibc 2.36)
// declares them without C linkage.
int OpenProcess(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0U)); }

bool SendSignal(int processFd, int signal) {
  return ::syscall(SYS_pidfd_send_signal, processFd, signal, nullptr, 0U) == 0;
}

}  // namespace

PeerProcess::PeerProcess(pid_t pid) : m_pid(pid), m_fd(pid > 0 && pid != ::getpid() ? OpenProcess(pid) : -1) {}

PeerProcess::~PeerProcess() {
  if (m_fd >= 0) ::close(m_fd);
}

bool PeerProcess::HasEnded() const {
  if (m_fd < 0) return true;
  pollfd watched{m_fd, POLLIN, 0};
  return ::poll(&watched, 1, 0) > 0;
}

bool PeerProcess::IsThisProgram() const {
  struct stat own {};
  struct stat peer {};
  const QByteArray peerExe = "/proc/" + QByteArray::number(m_pid) + "/exe";
  if (::stat("/proc/self/exe", &own) != 0 || ::stat(peerExe.constData(), &peer) != 0) return false;
  // The look-up went by process id: it was the held process's only if that one still lives.
  return own.st_dev == peer.st_dev && own.st_ino == peer.st_ino && !HasEnded();
}

bool PeerProcess::End(int signal) const {
  if (m_fd < 0) return false;
  if (!IsThisProgram()) {
    TraceFormat(QStringLiteral("----------not ending a process of another program----------%s\n"),
                QString::number(m_pid));
    return false;
  }
  return SendSignal(m_fd, signal);
}

}  // namespace tarvex
