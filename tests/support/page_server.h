#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace tarvex::testing {

// A small web server on 127.0.0.1 (a free port, or `port`) that serves the pages a test
// gives it and records every request target it received.
class PageServer {
 public:
  explicit PageServer(int port = 0);
  ~PageServer();

  // "127.0.0.1:PORT", the form the launcher's hosts take.
  QString Host() const;
  // Serves `html` at `path` (any query).
  void Serve(const std::string& path, const std::string& html);
  // Serves `size` bytes at `path` as an attachment named `fileName`.
  void ServeDownload(const std::string& path, std::size_t size, const std::string& fileName);
  QStringList Requests() const;

 private:
  std::unique_ptr<httplib::Server> m_server;
  std::thread m_thread;
  int m_port = 0;
  mutable std::mutex m_mutex;
  std::map<std::string, std::string> m_pages;
  std::map<std::string, std::pair<std::size_t, std::string>> m_downloads;
  QStringList m_requests;
};

}  // namespace tarvex::testing
