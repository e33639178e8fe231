#include "platform/inherited_files.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarvex {

void CloseInheritedFilesOnExec() noexcept {
  if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
  // Kernels before 5.11: one descriptor at a time, up to the limit.
  rlimit limit{};
  const long last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536 ? long(limit.rlim_cur) : 65536;
  for (int fd = 3; fd < last; ++fd) {
    const int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0 && !(flags & FD_CLOEXEC)) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  }
}

}  // namespace tarvex
