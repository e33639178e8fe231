#include "install/installer_transfer.h"

#include "install/test_http_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using Result = InstallerTransfer::Result;

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  return body;
}

class InstallerTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& routes = m_server.Routes();
    routes.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Body(300000), "application/octet-stream");
    });
    routes.Get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/ok"); });
    routes.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    routes.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("<html>not here</html>", "text/html");
    });
    routes.Get("/reset", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(100000, "application/octet-stream",
                               [](size_t offset, size_t, httplib::DataSink& sink) {
                                 if (offset > 0) return false;  // drop the connection halfway
                                 const std::string half = Body(50000);
                                 sink.write(half.data(), half.size());
                                 return true;
                               });
    });
    routes.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(100000, "application/octet-stream",
                               [this](size_t offset, size_t, httplib::DataSink& sink) {
                                 if (offset > 0) {
                                   m_server.HoldUntilReleased();
                                   return false;
                                 }
                                 sink.write("start", 5);
                                 return true;
                               });
    });
    m_server.Start();
  }

  Result Fetch(const char* path, InstallerTransfer::Progress progress = {}) {
    InstallerTransfer transfer(m_server.Url(path), Destination(), m_cancelled);
    transfer.SetStallTimeout(300ms);
    transfer.SetProgress(std::move(progress));
    return transfer.Run();
  }
  QString Destination() const { return m_dir.path() + QStringLiteral("/k-7z.exe"); }
  QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
  QByteArray Installed() const {
    QFile file(Destination());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir m_dir;
  std::atomic<bool> m_cancelled{false};
  testing::TestHttpServer m_server;
};

TEST_F(InstallerTransferTest, CompleteDownloadReplacesTheInstaller) {
  {
    QFile old(Destination());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old installer");
  }
  std::int64_t lastReceived = -1, lastTotal = -1;
  bool monotonic = true;
  EXPECT_EQ(Fetch("/ok", [&](std::int64_t received, std::int64_t total) {
              monotonic = monotonic && received >= lastReceived;
              lastReceived = received;
              lastTotal = total;
            }),
            Result::Done);
  EXPECT_EQ(Installed(), QByteArray::fromStdString(Body(300000)));
  EXPECT_EQ(Files(), QStringList{"k-7z.exe"});
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(lastReceived, 300000);
  EXPECT_EQ(lastTotal, 300000);
}

TEST_F(InstallerTransferTest, RedirectsAreFollowed) {
  EXPECT_EQ(Fetch("/moved"), Result::Done);
  EXPECT_EQ(Installed().size(), 300000);
}

// Nothing is left under any name when the transfer does not end with a 2xx answer.
TEST_F(InstallerTransferTest, FailuresLeaveNothingBehind) {
  for (const char* path : {"/missing", "/reset", "/loop", "/stall"}) {
    SCOPED_TRACE(path);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(path), Result::Failed);
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  }
}

TEST_F(InstallerTransferTest, CancellingStopsAndCleansUp) {
  int reports = 0;
  EXPECT_EQ(Fetch("/stall",
                  [&](std::int64_t received, std::int64_t) {
                    ++reports;
                    if (received > 0) m_cancelled = true;
                  }),
            Result::Cancelled);
  EXPECT_GT(reports, 0);
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(InstallerTransferTest, UnreachableHostFails) {
  InstallerTransfer transfer(QStringLiteral("http://127.0.0.1:1/x"), Destination(), m_cancelled);
  EXPECT_EQ(transfer.Run(), Result::Failed);
  InstallerTransfer notHttp(QStringLiteral("file:///etc/hostname"), Destination(), m_cancelled);
  EXPECT_EQ(notHttp.Run(), Result::Failed);
  EXPECT_TRUE(Files().isEmpty());
}

}  // namespace
}  // namespace tarvex
