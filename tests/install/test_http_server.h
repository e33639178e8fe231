#pragma once

#include <httplib.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace tarvex::testing {

// A cpp-httplib server on 127.0.0.1 and a free port, running on its own thread while the
// object lives; https when given a certificate and its key (PEM files). Handlers that hold
// a response open poll Released(), which turns true when the server is being stopped.
class TestHttpServer {
 public:
  TestHttpServer() : m_server(std::make_unique<httplib::Server>()) {}
  TestHttpServer(const QString& certificate, const QString& key)
      : m_server(std::make_unique<httplib::SSLServer>(QFile::encodeName(certificate).constData(),
                                                      QFile::encodeName(key).constData())),
        m_scheme(QStringLiteral("https://")) {}
  ~TestHttpServer() {
    m_released = true;
    m_server->stop();
    if (m_thread.joinable()) m_thread.join();
  }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  httplib::Server& Routes() { return *m_server; }

  void Start() {
    ASSERT_TRUE(m_server->is_valid());
    m_port = m_server->bind_to_any_port("127.0.0.1");
    ASSERT_GT(m_port, 0);
    // The socket listens from here on; connections wait until the loop accepts them.
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() only reaches a loop that is already running.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server->is_running() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(m_server->is_running());
  }

  // The library cuts every answer to a requested range itself, whatever the handler
  // decided: handlers that decide about ranges take them out of its hands first.
  static void TakeOverRanges(const httplib::Request& request) { const_cast<httplib::Request&>(request).ranges.clear(); }

  QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
  QString Url(const char* path) const { return m_scheme + Host() + QString::fromUtf8(path); }
  bool Released() const { return m_released; }
  void Release() { m_released = true; }

  // Holds the calling handler until released or for at most `limit`.
  void HoldUntilReleased(std::chrono::seconds limit = std::chrono::seconds(20)) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!m_released && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

 private:
  std::unique_ptr<httplib::Server> m_server;
  QString m_scheme = QStringLiteral("http://");
  std::thread m_thread;
  int m_port = 0;
  std::atomic<bool> m_released{false};
};

}  // namespace tarvex::testing
