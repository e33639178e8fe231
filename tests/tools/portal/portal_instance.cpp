#include "portal_instance.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

PortalInstance::PortalInstance(const std::vector<std::string>& extra_arguments) {
  char folder[] = "/tmp/tarvex-portal-test-XXXXXX";
  m_folder = mkdtemp(folder);
  std::vector<std::string> arguments = {TARVEX_PORTAL_EXE, "--port", "0", "--log", m_folder + "/requests.jsonl"};
  arguments.insert(arguments.end(), extra_arguments.begin(), extra_arguments.end());
  int out[2];
  if (pipe(out) != 0) return;
  m_pid = fork();
  if (m_pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  // Ready once the first line is out; give a slow machine ten seconds.
  pollfd wait{out[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (m_banner.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    if (poll(&wait, 1, 100) <= 0) continue;
    char chunk[256];
    const ssize_t count = read(out[0], chunk, sizeof chunk);
    if (count <= 0) break;
    m_banner.append(chunk, static_cast<size_t>(count));
  }
  close(out[0]);
  const std::string prefix = "listening on 127.0.0.1:";
  if (m_banner.starts_with(prefix)) m_port = std::atoi(m_banner.c_str() + prefix.size());
}

PortalInstance::~PortalInstance() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(m_folder, ignored);
}

std::vector<std::string> PortalInstance::LogLines() const {
  std::ifstream file(m_folder + "/requests.jsonl");
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

bool PortalInstance::WaitForLogLines(size_t count, int timeout_ms) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (LogLines().size() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

int PortalInstance::Stop(int timeout_ms) {
  if (m_pid <= 0) return -1;
  kill(m_pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (waitpid(m_pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, &status, 0);
      m_pid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
