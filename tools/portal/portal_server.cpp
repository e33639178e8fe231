#include "portal_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fault_player.h"

namespace portal {

namespace {

constexpr size_t kMaxConnections = 256;

// The connection the current thread serves; the library calls the routing hook on the
// thread that called process_request, so the hook finds its connection here.
thread_local Connection* t_connection = nullptr;
thread_local bool t_request_seen = false;

}  // namespace

PortalServer::PortalServer(PortalRouter router, FaultPlan faults, RequestLog& log)
    : m_router(std::move(router)), m_faults(std::move(faults)), m_log(log) {
  set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    return Answer(*t_connection, request, response);
  });
}

PortalServer::~PortalServer() {
  if (m_listen_fd >= 0) ::close(m_listen_fd);
  for (const int fd : m_wake_pipe) {
    if (fd >= 0) ::close(fd);
  }
}

int PortalServer::Bind(int port, std::string* error) {
  m_listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(m_listen_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (m_listen_fd < 0 || ::bind(m_listen_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(m_listen_fd, 64) != 0 ||
      ::getsockname(m_listen_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(m_wake_pipe, O_CLOEXEC) != 0) {
    *error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return -1;
  }
  // The library stops writing bodies once it sees no listening socket.
  svr_sock_ = m_listen_fd;
  return ntohs(address.sin_port);
}

void PortalServer::Run() {
  pollfd waits[2] = {{m_listen_fd, POLLIN, 0}, {m_wake_pipe[0], POLLIN, 0}};
  while (!m_stop.IsRaised()) {
    if (::poll(waits, 2, 1000) < 0 && errno != EINTR) break;
    ReapFinished();
    if (!(waits[0].revents & POLLIN)) continue;
    const int fd = ::accept4(m_listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const std::lock_guard lock(m_workers_mutex);
    if (m_workers.size() >= kMaxConnections) {
      RefuseBusy(fd);
      continue;
    }
    Worker& worker = m_workers.emplace_back();
    worker.connection = std::make_shared<Connection>(fd);
    worker.thread = std::thread([this, &worker] {
      Serve(*worker.connection);
      // Close the socket as soon as the conversation ends (a reset fault strikes here).
      const std::lock_guard done_lock(m_workers_mutex);
      worker.connection.reset();
      worker.done = true;
    });
  }
  {
    const std::lock_guard lock(m_workers_mutex);
    for (Worker& worker : m_workers) {
      if (worker.connection) worker.connection->Interrupt();
    }
  }
  for (Worker& worker : m_workers) worker.thread.join();
  m_workers.clear();
}

void PortalServer::Stop() {
  m_stop.Raise();
  svr_sock_ = INVALID_SOCKET;
  const char wake = 1;
  [[maybe_unused]] const ssize_t written = ::write(m_wake_pipe[1], &wake, 1);
}

void PortalServer::ReapFinished() {
  const std::lock_guard lock(m_workers_mutex);
  for (auto it = m_workers.begin(); it != m_workers.end();) {
    if (it->done) {
      it->thread.join();
      it = m_workers.erase(it);
    } else {
      ++it;
    }
  }
}

void PortalServer::RefuseBusy(int fd) {
  static const char kBusy[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  [[maybe_unused]] const ssize_t sent = ::send(fd, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL);
  ::close(fd);
}

void PortalServer::Serve(Connection& connection) {
  t_connection = &connection;
  while (!m_stop.IsRaised() && connection.ReadRequestLine()) {
    t_request_seen = false;
    bool closed = false;
    const bool answered = process_request(connection, false, closed, nullptr);
    if (!t_request_seen) {
      // The library has answered 400 (or 414); nothing after such bytes can be trusted.
      m_log.Append(RequestLog::RejectedLine(RequestLog::Now(), connection.RequestLine()));
      break;
    }
    if (!answered || closed || connection.Ending()) break;
  }
  t_connection = nullptr;
}

httplib::Server::HandlerResponse PortalServer::Answer(Connection& connection, const httplib::Request& request,
                                                      httplib::Response& response) {
  t_request_seen = true;
  m_log.Append(RequestLog::Line(RequestLog::Now(), connection.RequestLine(), request));
  std::string host = request.get_header_value("Host");
  if (host.empty()) host = request.local_addr + ":" + std::to_string(request.local_port);
  std::string error;
  const auto fault = m_faults.Find(request.path, request.get_param_value("fault"), FaultPlayer::HopOf(request), &error);
  // The library would cut every body to a requested range itself, whatever the answer's
  // status; the router decides about ranges (installers only), so the library sees none.
  const_cast<httplib::Request&>(request).ranges.clear();
  Reply reply = error.empty() ? m_router.Route(request, host)
                              : Reply::Text(400, "text/plain; charset=utf-8", error + "\n");
  FaultPlayer(connection, m_stop).Play(fault, request, std::move(reply), response);
  return HandlerResponse::Handled;
}

}  // namespace portal
