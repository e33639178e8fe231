#include "install/installer_download.h"

#include "install/download_address.h"
#include "install/isolated_home.h"
#include "support/fake_services.h"
#include "install/test_http_server.h"
#include "platform/hosts.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using Outcome = InstallerDownload::Outcome;
using Call = testing::RecordingProgramStarter::Call;

// An installer as the portal serves it: it puts KEY.exe into the games folder.
std::string InstallerScript(const char* key, const char* beforeInstalling = "") {
  return std::string("#!/bin/sh\n") + beforeInstalling + "dir=\"$XDG_DATA_HOME/Tarvex/Box/games/" + key +
         "\"\nmkdir -p \"$dir\" && echo game > \"$dir/" + key + ".exe\"\n";
}

class InstallerDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& routes = m_server.Routes();
    routes.Get("/games/mir/download-mir.exe", [this](const httplib::Request&, httplib::Response& res) {
      ++m_requests;
      res.set_content(InstallerScript("mir") + std::string(200000, '#') + "\n", "application/octet-stream");
    });
    routes.Get("/games/slow/download-slow.exe", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
        if (m_server.Released()) return false;
        sink.write(std::string(1024, '#').data(), 1024);
        std::this_thread::sleep_for(20ms);
        return true;
      });
    });
    routes.Get("/games/waits/download-waits.exe", [this](const httplib::Request&, httplib::Response& res) {
      const std::string wait = "touch \"$HOME/started\"\nn=0\nwhile [ ! -e \"$HOME/release\" ] && [ $n -lt 400 ]; do "
                               "sleep 0.05; n=$((n+1)); done\n";
      res.set_content(InstallerScript("waits", wait.c_str()), "application/octet-stream");
    });
    routes.Get("/games/nogame/download-nogame.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("#!/bin/sh\nexit 0\n", "application/octet-stream");
    });
    routes.Get("/games/win/download-win.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string("MZ") + std::string(5000, '\x01'), "application/octet-stream");
    });
    routes.Get("/games/garbage/download-garbage.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(5000, '\x01'), "application/octet-stream");
    });
    m_server.Start();
  }
  void TearDown() override {
    // Every worker has ended before the next test changes the environment.
    ASSERT_TRUE(QTest::qWaitFor([&] { return InstallerDownload::RunningWorkers() == 0; }, 20000));
  }

  std::unique_ptr<InstallerDownload> Job(const QString& key) {
    testing::FixedClock clock(42);
    auto job = std::make_unique<InstallerDownload>(DownloadAddress(Hosts{{}, m_server.Host(), {}, "http"}, key, clock),
                                                   key, QStringLiteral("params-12345"), m_starter);
    job->SetStallTimeout(2s);
    return job;
  }
  // Starts the job and waits for its outcome.
  Outcome Run(InstallerDownload& job, QList<int>* progress = nullptr) {
    QSignalSpy finished(&job, &InstallerDownload::finished);
    QSignalSpy progressSpy(&job, &InstallerDownload::progressChanged);
    job.Start();
    EXPECT_TRUE(finished.wait(20000));
    if (progress)
      for (const auto& args : progressSpy) progress->append(args.at(0).toInt());
    return finished.isEmpty() ? Outcome::Failed : finished.first().at(0).value<Outcome>();
  }
  QStringList InstallerFiles() const { return QDir(paths::InstallerFolder()).entryList(QDir::Files | QDir::Hidden); }

  testing::IsolatedHome m_home;
  testing::RecordingProgramStarter m_starter;
  testing::TestHttpServer m_server;
  std::atomic<int> m_requests{0};
};

TEST_F(InstallerDownloadTest, DownloadsRunsInstallerThenStartsTheGame) {
  auto job = Job("mir");
  QList<int> progress;
  EXPECT_EQ(Run(*job, &progress), Outcome::Installed);

  const QString exe = paths::GameExecutable("mir");
  EXPECT_TRUE(QFile::exists(exe));
  EXPECT_EQ(m_starter.Calls(), (std::vector<Call>{{exe, {"params-12345"}}}));
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_EQ(progress.last(), InstallerDownload::kProgressRange);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(InstallerFiles(), QStringList{"mir-7z.exe"});
  EXPECT_EQ(QFile::permissions(paths::InstallerFolder()) & 0x0777, QFile::Permissions(0x0700));
}

TEST_F(InstallerDownloadTest, FailedDownloadStartsNothing) {
  for (const char* key : {"absent", "garbage"}) {
    SCOPED_TRACE(key);
    auto job = Job(key);
    EXPECT_EQ(Run(*job), Outcome::Failed);
    EXPECT_TRUE(m_starter.Calls().empty());
  }
  // The 404 left nothing; the file that is no program stays, but ran nothing.
  EXPECT_EQ(InstallerFiles(), QStringList{"garbage-7z.exe"});
}

TEST_F(InstallerDownloadTest, WindowsInstallerWithoutWineIsToldApartAndStartsNothing) {
  const auto restorePath = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
  qputenv("PATH", m_home.Path().toLocal8Bit());  // no wine here
  auto job = Job("win");
  EXPECT_EQ(Run(*job), Outcome::WineMissing);
  EXPECT_TRUE(m_starter.Calls().empty());
}

TEST_F(InstallerDownloadTest, InstallerWithoutGameFailsAndStartsNothing) {
  // Handing back would only lead to the same download again.
  auto job = Job("nogame");
  EXPECT_EQ(Run(*job), Outcome::Failed);
  EXPECT_TRUE(m_starter.Calls().empty());
}

TEST_F(InstallerDownloadTest, RefusedKeyIsNeverRequested) {
  auto job = Job("..");
  EXPECT_EQ(Run(*job), Outcome::Failed);
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

TEST_F(InstallerDownloadTest, CancelStopsTheTransferAndCleansUp) {
  auto job = Job("slow");
  QSignalSpy progress(job.get(), &InstallerDownload::progressChanged);
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  ASSERT_TRUE(progress.wait(20000));
  job->Cancel();
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Cancelled);
  EXPECT_TRUE(InstallerFiles().isEmpty());
  EXPECT_TRUE(m_starter.Calls().empty());
}

TEST_F(InstallerDownloadTest, DeletingTheJobMidTransferCleansUp) {
  auto job = Job("slow");
  QSignalSpy progress(job.get(), &InstallerDownload::progressChanged);
  job->Start();
  ASSERT_TRUE(progress.wait(20000));
  job.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstallerDownload::RunningWorkers() == 0; }, 20000));
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

// The window closes while the installer runs: the installer finishes its work, and the
// game is not started afterwards.
TEST_F(InstallerDownloadTest, ClosingDuringTheInstallerStartsNothingAfterIt) {
  auto job = Job("waits");
  job->Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_home.Path() + "/started"); }, 20000));
  job.reset();
  QFile release(m_home.Path() + "/release");
  ASSERT_TRUE(release.open(QIODevice::WriteOnly));
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstallerDownload::RunningWorkers() == 0; }, 20000));
  EXPECT_TRUE(QFile::exists(paths::GameExecutable("waits")));
  EXPECT_TRUE(m_starter.Calls().empty());
}

TEST_F(InstallerDownloadTest, StartTwiceRunsOneWorker) {
  auto job = Job("mir");
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  job->Start();
  ASSERT_TRUE(finished.wait(20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return InstallerDownload::RunningWorkers() == 0; }, 20000));
  EXPECT_EQ(m_requests.load(), 1);
  EXPECT_EQ(finished.size(), 1);
}

TEST(InstallerDownloadProgress, ScalesSixtyFourBitCounts) {
  constexpr std::int64_t GiB = std::int64_t{1} << 30;
  EXPECT_EQ(InstallerDownload::ScaledProgress(0, 0), 0);
  EXPECT_EQ(InstallerDownload::ScaledProgress(5000, 0), 0);
  EXPECT_EQ(InstallerDownload::ScaledProgress(3 * GiB, 4 * GiB), 750);
  EXPECT_EQ(InstallerDownload::ScaledProgress(5 * GiB, 5 * GiB), InstallerDownload::kProgressRange);
  EXPECT_EQ(InstallerDownload::ScaledProgress(6 * GiB, 5 * GiB), InstallerDownload::kProgressRange);
  EXPECT_EQ(InstallerDownload::ScaledProgress(1, 1000), 1);
  EXPECT_EQ(InstallerDownload::ScaledProgress(999, 1000), 999);
}

}  // namespace
}  // namespace tarvex
