#pragma once

#include <httplib.h>

#include <QString>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvex::testing {

// A request as the server received it.
struct SeenRequest {
  std::string method;
  std::string target;  // raw, before any decoding
  std::string version;
  std::string userAgent;
  std::string contentType;
  std::string body;
};

// An HTTP server on 127.0.0.1 on a free port, serving on its own thread. Every request
// is recorded before its handler runs.
class LoopbackServer {
 public:
  LoopbackServer() {
    m_server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      const std::lock_guard guard(m_lock);
      m_seen.push_back({request.method, request.target, request.version, request.get_header_value("User-Agent"),
                        request.get_header_value("Content-Type"), request.body});
      return httplib::Server::HandlerResponse::Unhandled;
    });
  }

  ~LoopbackServer() {
    Release();
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }

  httplib::Server& Routes() { return m_server; }

  void Listen() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    Serve();
  }

  // Listens on a given port (one picked by FreePort), so a test can start it late.
  void ListenOn(int port) {
    m_server.bind_to_port("127.0.0.1", port);
    m_port = port;
    Serve();
  }

  QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

  std::vector<SeenRequest> Seen() {
    const std::lock_guard guard(m_lock);
    return m_seen;
  }

  // Handlers that must hold an answer back wait here until the test lets them go.
  void WaitForRelease() {
    std::unique_lock guard(m_lock);
    m_released.wait(guard, [this] { return m_isReleased; });
  }

  void Release() {
    {
      const std::lock_guard guard(m_lock);
      m_isReleased = true;
    }
    m_released.notify_all();
  }

  // A port on 127.0.0.1 that nothing listens on right now.
  static int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }

 private:
  void Serve() {
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // stop() only reaches a server that is already in its accept loop.
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  httplib::Server m_server;
  std::thread m_thread;
  int m_port = -1;
  std::mutex m_lock;
  std::condition_variable m_released;
  bool m_isReleased = false;
  std::vector<SeenRequest> m_seen;
};

}  // namespace tarvex::testing
