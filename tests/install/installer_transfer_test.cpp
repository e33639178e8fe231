#include "install/installer_transfer.h"

#include "install/installer_hash.h"
#include "install/test_http_server.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>
#include <utility>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using Result = InstallerTransfer::Result;

std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  return body;
}

// A self-signed certificate for 127.0.0.1 and its key, made for this run.
bool MakeCertificate(const QString& certificate, const QString& key) {
  QProcess openssl;
  openssl.start(QStringLiteral("openssl"),
                {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                 "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", certificate});
  return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

class InstallerTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& routes = m_server.Routes();
    routes.Get("/ok", [this](const httplib::Request&, httplib::Response& res) {
      ++m_okRequests;
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
    // A file that can be resumed: ETag m_version, Last-Modified, ranges as m_ranges says,
    // and the body cut after m_cutAt bytes once.
    routes.Get("/versioned", [this](const httplib::Request& request, httplib::Response& res) {
      testing::TestHttpServer::TakeOverRanges(request);
      std::string version;
      std::size_t cut = 0;
      {
        const std::lock_guard lock(m_mutex);
        m_rangeHeaders.push_back(request.get_header_value("Range") + "|" + request.get_header_value("If-Range"));
        version = m_version;
        cut = std::exchange(m_cutAt, 0);
      }
      const std::string body = Body(kVersioned);
      std::size_t from = 0;
      const std::string range = request.get_header_value("Range");
      if (!range.empty() && m_ranges != Ranges::Ignored &&
          (request.get_header_value("If-Range") == version || m_ranges == Ranges::IfRangeIgnored)) {
        from = std::stoul(range.substr(6));
        if (m_ranges == Ranges::Refused) {
          res.status = 416;
          res.set_header("Content-Range", "bytes */" + std::to_string(kVersioned));
          return;
        }
        res.status = 206;
        const std::size_t claimed = m_ranges == Ranges::Elsewhere ? 0 : from;
        const std::string total = m_ranges == Ranges::UnknownTotal ? "*" : std::to_string(kVersioned);
        res.set_header("Content-Range",
                       "bytes " + std::to_string(claimed) + "-" + std::to_string(kVersioned - 1) + "/" + total);
      }
      if (res.status != 206 || m_ranges != Ranges::Untagged) res.set_header("ETag", version);
      res.set_header("Last-Modified", "Wed, 01 Jan 2025 00:00:00 GMT");
      res.set_content_provider(kVersioned - from, "application/octet-stream",
                               [body, from, cut](size_t offset, size_t, httplib::DataSink& sink) {
                                 const std::size_t end = cut > 0 ? cut : body.size() - from;
                                 if (offset >= end) return false;
                                 const std::size_t size = std::min<std::size_t>(end - offset, 64 * 1024);
                                 sink.write(body.data() + from + offset, size);
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
  // Moves the whole part into place, as its owner does once it is verified, and reads it.
  QByteArray TakeInstalled() const {
    EXPECT_TRUE(InstallerTransfer::MoveIntoPlace(Destination()));
    QFile file(Destination());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  enum class Ranges { Honoured, Ignored, Elsewhere, Refused, IfRangeIgnored, Untagged, UnknownTotal };
  static constexpr std::size_t kVersioned = 300000;

  QTemporaryDir m_dir;
  std::atomic<bool> m_cancelled{false};
  std::mutex m_mutex;
  std::vector<std::string> m_rangeHeaders;
  std::atomic<Ranges> m_ranges{Ranges::Honoured};
  std::string m_version = "\"v1\"";
  std::size_t m_cutAt = 0;
  std::atomic<int> m_okRequests{0};
  testing::TestHttpServer m_server;
};

// A whole download stays a part, tagged whole, until its owner moves it into place: the
// installer there is untouched, and another attempt asks for nothing and hashes the part.
TEST_F(InstallerTransferTest, CompleteDownloadStaysAWholePartUntilMovedIntoPlace) {
  {
    QFile old(Destination());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old installer");
  }
  std::int64_t lastReceived = -1, lastTotal = -1;
  bool monotonic = true;
  const auto progress = [&](std::int64_t received, std::int64_t total) {
    monotonic = monotonic && received >= lastReceived;
    lastReceived = received;
    lastTotal = total;
  };
  EXPECT_EQ(Fetch("/ok", progress), Result::Done);
  EXPECT_EQ(Files(), (QStringList{"k-7z.exe", "k-7z.exe.part", "k-7z.exe.part.tag"}));
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(lastReceived, 300000);
  EXPECT_EQ(lastTotal, 300000);

  InstallerHash hash;
  InstallerTransfer again(m_server.Url("/ok"), Destination(), m_cancelled);
  again.SetHash(&hash);
  again.SetProgress(progress);
  lastReceived = -1;
  EXPECT_EQ(again.Run(), Result::Done);
  EXPECT_EQ(m_okRequests.load(), 1);
  EXPECT_EQ(lastReceived, 300000);
  EXPECT_EQ(hash.Result(), QCryptographicHash::hash(QByteArray::fromStdString(Body(300000)), QCryptographicHash::Sha256));

  EXPECT_EQ(TakeInstalled(), QByteArray::fromStdString(Body(300000)));
  EXPECT_EQ(Files(), QStringList{"k-7z.exe"});
}

TEST_F(InstallerTransferTest, RedirectsAreFollowed) {
  EXPECT_EQ(Fetch("/moved"), Result::Done);
  EXPECT_EQ(TakeInstalled().size(), 300000);
}

// A client error or a refused redirect is final; connection trouble is worth another
// attempt. Without a validator nothing can be continued, so nothing is kept.
TEST_F(InstallerTransferTest, FailuresLeaveNothingWithoutAValidator) {
  const struct {
    const char* path;
    Result result;
  } cases[] = {{"/missing", Result::Refused}, {"/loop", Result::Refused}, {"/reset", Result::Transient},
               {"/stall", Result::Transient}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(c.path), c.result);
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  }
}

// Each step: what the server does, then what the attempt must end with. A cut attempt
// keeps its part under the server's ETag; the next one asks for the rest and appends it
// only when the server confirms that very part; everything else starts over.
TEST_F(InstallerTransferTest, ResumesOnlyWhatTheServerConfirms) {
  const QByteArray whole = QByteArray::fromStdString(Body(kVersioned));
  const QByteArray sum = QCryptographicHash::hash(whole, QCryptographicHash::Sha256);
  const struct {
    const char* what;
    Ranges ranges;
    const char* version;
    std::size_t cutAt;
    Result result;
    std::int64_t firstReport;  // at least; -1: none at all
    std::string rangeHeader;   // the request's Range and If-Range
  } steps[] = {
      {"cut", Ranges::Honoured, "\"v1\"", 100000, Result::Transient, 0, "|"},
      {"resume with 206", Ranges::Honoured, "\"v1\"", 0, Result::Done, 100000, "bytes=100000-|\"v1\""},
      {"cut again", Ranges::Honoured, "\"v1\"", 50000, Result::Transient, 0, "|"},
      {"changed ETag: 200", Ranges::Honoured, "\"v2\"", 0, Result::Done, 0, "bytes=50000-|\"v1\""},
      {"cut again", Ranges::Honoured, "\"v2\"", 50000, Result::Transient, 0, "|"},
      {"ranges ignored: 200", Ranges::Ignored, "\"v2\"", 0, Result::Done, 0, "bytes=50000-|\"v2\""},
      {"cut again", Ranges::Honoured, "\"v2\"", 50000, Result::Transient, 0, "|"},
      {"206 from elsewhere", Ranges::Elsewhere, "\"v2\"", 0, Result::Restart, -1, "bytes=50000-|\"v2\""},
      {"cut again", Ranges::Honoured, "\"v2\"", 50000, Result::Transient, 0, "|"},
      {"416", Ranges::Refused, "\"v2\"", 0, Result::Restart, -1, "bytes=50000-|\"v2\""},
      {"cut again", Ranges::Honoured, "\"v2\"", 50000, Result::Transient, 0, "|"},
      {"the rest of another version", Ranges::IfRangeIgnored, "\"v3\"", 0, Result::Restart, -1,
       "bytes=50000-|\"v2\""},
      {"cut again", Ranges::Honoured, "\"v3\"", 50000, Result::Transient, 0, "|"},
      {"206 that names no version", Ranges::Untagged, "\"v3\"", 0, Result::Restart, -1, "bytes=50000-|\"v3\""},
      {"cut again", Ranges::Honoured, "\"v3\"", 50000, Result::Transient, 0, "|"},
      {"206 of a file of unknown size", Ranges::UnknownTotal, "\"v3\"", 0, Result::Restart, -1,
       "bytes=50000-|\"v3\""},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    m_ranges = step.ranges;
    {
      const std::lock_guard lock(m_mutex);
      m_version = step.version;
      m_cutAt = step.cutAt;
    }
    InstallerHash hash;
    std::int64_t firstReport = -1, lastReceived = -1;
    bool monotonic = true;
    InstallerTransfer transfer(m_server.Url("/versioned"), Destination(), m_cancelled);
    transfer.SetHash(&hash);
    transfer.SetProgress([&](std::int64_t received, std::int64_t total) {
      if (firstReport < 0) firstReport = received;
      monotonic = monotonic && received >= lastReceived && total == std::int64_t{kVersioned};
      lastReceived = received;
    });
    EXPECT_EQ(transfer.Run(), step.result);
    {
      const std::lock_guard lock(m_mutex);
      ASSERT_FALSE(m_rangeHeaders.empty());
      EXPECT_EQ(m_rangeHeaders.back(), step.rangeHeader);
    }
    EXPECT_TRUE(monotonic);
    if (step.firstReport < 0)
      EXPECT_EQ(firstReport, -1);
    else
      EXPECT_GE(firstReport, step.firstReport);
    const QStringList partial{"k-7z.exe.part", "k-7z.exe.part.tag"};
    if (step.result == Result::Done) {
      EXPECT_EQ(TakeInstalled(), whole);
      EXPECT_EQ(hash.Result(), sum);
      EXPECT_FALSE(Files().contains(partial[0]));
    } else if (step.result == Result::Transient) {
      EXPECT_EQ(QFileInfo(m_dir.path() + "/k-7z.exe.part").size(), std::int64_t(step.cutAt));
      EXPECT_TRUE(Files().contains(partial[1]));
    } else {
      EXPECT_FALSE(Files().contains(partial[0]));
      EXPECT_FALSE(Files().contains(partial[1]));
    }
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

// An https download goes on over https only: a redirect down to plain http, where anybody
// on the way could swap the installer, ends it for good before that host is asked. The
// redirect to https shows the certificate is trusted, so the refusal is the redirect's.
TEST_F(InstallerTransferTest, HttpsIsNeverRedirectedToHttp) {
  QTemporaryDir keys;
  const QString certificate = keys.filePath(QStringLiteral("cert.pem"));
  const QString key = keys.filePath(QStringLiteral("key.pem"));
  ASSERT_TRUE(MakeCertificate(certificate, key));
  std::atomic<int> plainRequests{0};
  testing::TestHttpServer plain;
  plain.Routes().Get("/k-7z.exe", [&](const httplib::Request&, httplib::Response& res) {
    ++plainRequests;
    res.set_content(Body(300000), "application/octet-stream");
  });
  plain.Start();
  testing::TestHttpServer secure(certificate, key);
  secure.Routes().Get("/ok", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(Body(300000), "application/octet-stream");
  });
  secure.Routes().Get("/to-https", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(secure.Url("/ok").toStdString());
  });
  secure.Routes().Get("/to-http", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(plain.Url("/k-7z.exe").toStdString());
  });
  secure.Start();
  const auto fetch = [&](const char* path) {
    InstallerTransfer transfer(secure.Url(path), Destination(), m_cancelled);
    transfer.SetTrustedCertificates(certificate);
    return transfer.Run();
  };

  EXPECT_EQ(fetch("/to-http"), Result::Refused);
  EXPECT_EQ(plainRequests, 0);
  EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();

  EXPECT_EQ(fetch("/to-https"), Result::Done);
  EXPECT_EQ(TakeInstalled(), QByteArray::fromStdString(Body(300000)));
}

TEST_F(InstallerTransferTest, UnreachableHostIsWorthRetryingButNotHttpIsNot) {
  InstallerTransfer transfer(QStringLiteral("http://127.0.0.1:1/x"), Destination(), m_cancelled);
  EXPECT_EQ(transfer.Run(), Result::Transient);
  InstallerTransfer notHttp(QStringLiteral("file:///etc/hostname"), Destination(), m_cancelled);
  EXPECT_EQ(notHttp.Run(), Result::Refused);
  EXPECT_TRUE(Files().isEmpty());
}

}  // namespace
}  // namespace tarvex
