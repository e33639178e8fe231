#pragma once

namespace tarvex {

// Marks every descriptor above standard error close-on-exec. For the child of a fork, just
// before it runs another program: the browser engine keeps sockets to its sub-processes
// that are not close-on-exec, and a program that inherited one (wine's server and
// services, which outlive the launcher) would keep a dead launcher's engine processes
// waiting for it. Async-signal-safe.
void CloseInheritedFilesOnExec() noexcept;

}  // namespace tarvex
