// The real tarvex-portal executable, started for a test on a free port with its own
// temporary folder and request log, and stopped with SIGTERM.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class PortalInstance {
 public:
  explicit PortalInstance(const std::vector<std::string>& extra_arguments = {});
  ~PortalInstance();
  PortalInstance(const PortalInstance&) = delete;
  PortalInstance& operator=(const PortalInstance&) = delete;

  bool Started() const { return m_port > 0; }
  int Port() const { return m_port; }
  // Everything the portal printed on standard output before it was ready.
  const std::string& Banner() const { return m_banner; }
  const std::string& Folder() const { return m_folder; }
  std::vector<std::string> LogLines() const;
  // Waits (bounded) until the request log holds at least count lines.
  bool WaitForLogLines(size_t count, int timeout_ms = 5000) const;

  // Sends SIGTERM and waits (bounded); the exit status, or -1 when it did not end.
  int Stop(int timeout_ms = 5000);

 private:
  pid_t m_pid = -1;
  int m_port = 0;
  std::string m_banner;
  std::string m_folder;
};
