#include "support/page_server.h"

#include <httplib.h>

namespace tarvex::testing {

PageServer::PageServer(int port) : m_server(std::make_unique<httplib::Server>()) {
  m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(m_mutex);
    m_requests.append(QString::fromStdString(request.target));
    if (const auto download = m_downloads.find(request.path); download != m_downloads.end()) {
      response.set_header("Content-Disposition", "attachment; filename=\"" + download->second.second + "\"");
      response.set_content(std::string(download->second.first, 'x'), "application/octet-stream");
      return httplib::Server::HandlerResponse::Handled;
    }
    const auto page = m_pages.find(request.path);
    if (page == m_pages.end()) {
      response.status = 404;
      response.set_content("<html><body>not found</body></html>", "text/html");
    } else {
      response.set_content(page->second, "text/html; charset=utf-8");
    }
    return httplib::Server::HandlerResponse::Handled;
  });
  m_port = port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
  m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

PageServer::~PageServer() {
  m_server->stop();
  m_thread.join();
}

QString PageServer::Host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

void PageServer::Serve(const std::string& path, const std::string& html) {
  std::lock_guard lock(m_mutex);
  m_pages[path] = html;
}

void PageServer::ServeDownload(const std::string& path, std::size_t size, const std::string& fileName) {
  std::lock_guard lock(m_mutex);
  m_downloads[path] = {size, fileName};
}

QStringList PageServer::Requests() const {
  std::lock_guard lock(m_mutex);
  return m_requests;
}

}  // namespace tarvex::testing
