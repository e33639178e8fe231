#include "connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace portal {

namespace {

constexpr int kIdleTimeoutMs = 5000;
constexpr int kReadTimeoutMs = 5000;
constexpr int kWriteTimeoutMs = 30000;
// Longer lines are handed on unfinished; the library then answers 414 or 400.
constexpr size_t kMaxRequestLine = 16384;

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  ip = text;
}

}  // namespace

Connection::Connection(int fd) : m_fd(fd) {}

Connection::~Connection() {
  ::close(m_fd);
}

bool Connection::WaitFor(short events, int timeout_ms) const {
  pollfd entry{m_fd, events, 0};
  for (;;) {
    const int ready = ::poll(&entry, 1, timeout_ms);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

bool Connection::Fill() {
  if (m_position > 0) {
    m_buffer.erase(0, m_position);
    m_position = 0;
  }
  char chunk[8192];
  const ssize_t received = ::recv(m_fd, chunk, sizeof chunk, 0);
  if (received <= 0) return false;
  m_buffer.append(chunk, static_cast<size_t>(received));
  return true;
}

bool Connection::ReadRequestLine() {
  if (Ending()) return false;
  for (;;) {
    const size_t end = m_buffer.find('\n', m_position);
    if (end != std::string::npos) {
      m_request_line = m_buffer.substr(m_position, end - m_position);
      if (!m_request_line.empty() && m_request_line.back() == '\r') m_request_line.pop_back();
      break;
    }
    if (m_buffer.size() - m_position > kMaxRequestLine) {
      m_request_line = m_buffer.substr(m_position, kMaxRequestLine);
      return true;
    }
    const bool first_byte = m_buffer.size() == m_position;
    if (!WaitFor(POLLIN, first_byte ? kIdleTimeoutMs : kReadTimeoutMs) || !Fill()) {
      if (m_buffer.size() == m_position) return false;
      m_request_line = m_buffer.substr(m_position);
      return true;
    }
  }
  // Later '?' of the target become "%3F" for the library (see the header).
  const size_t target = m_request_line.find(' ');
  const size_t target_end = m_request_line.find(' ', target == std::string::npos ? 0 : target + 1);
  const size_t query = m_request_line.find('?', target == std::string::npos ? 0 : target);
  if (target != std::string::npos && query != std::string::npos && query < target_end) {
    std::string passed = m_buffer.substr(m_position, query + 1);
    for (size_t i = query + 1; i < m_request_line.size(); ++i) {
      const char c = m_buffer[m_position + i];
      passed += (c == '?' && i < target_end) ? std::string("%3F") : std::string(1, c);
    }
    m_buffer.replace(m_position, m_request_line.size(), passed);
  }
  return true;
}

bool Connection::is_readable() const {
  return m_position < m_buffer.size() || WaitFor(POLLIN, kReadTimeoutMs);
}

bool Connection::is_writable() const {
  return !m_reset && (m_muted || WaitFor(POLLOUT, kWriteTimeoutMs));
}

ssize_t Connection::read(char* ptr, size_t size) {
  if (m_position >= m_buffer.size()) {
    if (!WaitFor(POLLIN, kReadTimeoutMs) || !Fill()) return -1;
  }
  const size_t count = std::min(size, m_buffer.size() - m_position);
  m_buffer.copy(ptr, count, m_position);
  m_position += count;
  return static_cast<ssize_t>(count);
}

ssize_t Connection::write(const char* ptr, size_t size) {
  if (m_reset) return -1;
  if (m_muted) return static_cast<ssize_t>(size);
  size_t sent = 0;
  while (sent < size) {
    if (!WaitFor(POLLOUT, kWriteTimeoutMs)) return -1;
    const ssize_t count = ::send(m_fd, ptr + sent, size - sent, MSG_NOSIGNAL);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return -1;
    sent += static_cast<size_t>(count);
  }
  return static_cast<ssize_t>(size);
}

bool Connection::SendRaw(const std::string& bytes) {
  return write(bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

void Connection::Mute() {
  m_muted = true;
}

void Connection::Reset() {
  // A zero linger time makes close() send RST instead of FIN.
  const linger abort_on_close{1, 0};
  ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
  m_reset = true;
}

void Connection::Interrupt() {
  ::shutdown(m_fd, SHUT_RDWR);
}

void Connection::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) AddressOf(address, ip, port);
}

void Connection::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) AddressOf(address, ip, port);
}

}  // namespace portal
