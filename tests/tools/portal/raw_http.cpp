#include "raw_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <strings.h>

int RawExchange::Status() const {
  if (!received.starts_with("HTTP/1.")) return 0;
  return std::atoi(received.c_str() + 9);
}

std::string RawExchange::Header(const std::string& name) const {
  const size_t end = received.find("\r\n\r\n");
  size_t line = received.find("\r\n");
  while (line != std::string::npos && line < end) {
    const size_t next = received.find("\r\n", line + 2);
    const std::string text = received.substr(line + 2, next - line - 2);
    const size_t colon = text.find(':');
    if (colon != std::string::npos && strcasecmp(text.substr(0, colon).c_str(), name.c_str()) == 0) {
      return text.substr(text.find_first_not_of(' ', colon + 1));
    }
    line = next;
  }
  return {};
}

std::string RawExchange::Body() const {
  const size_t end = received.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : received.substr(end + 4);
}

RawExchange Exchange(int port, const std::string& bytes, int timeout_ms) {
  RawExchange result;
  const auto start = std::chrono::steady_clock::now();
  const auto since_start = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  };
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) {
    close(fd);
    result.reset = true;
    return result;
  }
  std::string chunk(1 << 16, '\0');
  for (;;) {
    const auto left = timeout_ms - since_start().count();
    pollfd wait{fd, POLLIN, 0};
    if (left <= 0 || poll(&wait, 1, static_cast<int>(left)) <= 0) {
      result.timed_out = true;
      break;
    }
    const ssize_t count = recv(fd, chunk.data(), chunk.size(), 0);
    if (count < 0) {
      result.reset = errno == ECONNRESET;
      break;
    }
    if (count == 0) break;
    if (result.first_byte.count() < 0) result.first_byte = since_start();
    result.received.append(chunk.data(), static_cast<size_t>(count));
    ++result.pieces;
  }
  result.elapsed = since_start();
  close(fd);
  return result;
}

RawExchange Get(int port, const std::string& target, const std::string& extra_headers) {
  return Exchange(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                            extra_headers + "\r\n");
}
