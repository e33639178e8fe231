#include "install/installer_download.h"

#include "install/download_address.h"
#include "install/installer_fetch.h"
#include "install/installer_transfer.h"
#include "install/isolated_home.h"
#include "support/fake_services.h"
#include "install/test_http_server.h"
#include "platform/hosts.h"
#include "platform/paths.h"
#include "support/wait.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using Outcome = InstallerDownload::Outcome;

// An installer as the portal serves it: it puts KEY.exe into the games folder.
std::string InstallerScript(const char* key, const char* beforeInstalling = "") {
  return std::string("#!/bin/sh\n") + beforeInstalling + "dir=\"$XDG_DATA_HOME/Tarvex/Box/games/" + key +
         "\"\nmkdir -p \"$dir\" && echo game > \"$dir/" + key + ".exe\"\n";
}

std::string Installer(const std::string& key) { return InstallerScript(key.c_str()) + std::string(200000, '#') + "\n"; }

class InstallerDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& routes = m_server.Routes();
    routes.Get("/games/mir/download-mir.exe", [this](const httplib::Request&, httplib::Response& res) {
      ++m_requests;
      res.set_content(Installer("mir"), "application/octet-stream");
    });
    // "mir" publishes its right checksum, "bad" a wrong one.
    routes.Get(R"(/games/(mir|bad)/download-\1\.exe\.sha256)", [](const httplib::Request& req, httplib::Response& res) {
      const std::string key = req.matches[1];
      const QByteArray sum = QCryptographicHash::hash(QByteArray::fromStdString(Installer(key == "bad" ? "other" : key)),
                                                      QCryptographicHash::Sha256);
      res.set_content(sum.toHex().toStdString() + "  download-" + key + ".exe\n", "text/plain");
    });
    // Checksum files a host may serve that are no checksum, and one in capitals.
    routes.Get(R"(/games/(forbidden|gone|html|upper)/download-\1\.exe\.sha256)",
               [this](const httplib::Request& req, httplib::Response& res) {
                 ++m_checksumRequests;
                 const std::string key = req.matches[1];
                 const QByteArray sum = QCryptographicHash::hash(QByteArray::fromStdString(Installer(key)),
                                                                 QCryptographicHash::Sha256);
                 if (key == "forbidden") res.status = 403;
                 if (key == "gone") res.status = 410;
                 if (key == "html") res.set_content("<html><body>Sign in</body></html>", "text/html");
                 if (key == "upper") res.set_content(sum.toHex().toUpper().toStdString() + "\n", "text/plain");
               });
    routes.Get(R"(/games/(forbidden|gone|html|upper)/download-\1\.exe)", [](const httplib::Request& req,
                                                                           httplib::Response& res) {
      res.set_content(Installer(req.matches[1]), "application/octet-stream");
    });
    routes.Get("/games/bad/download-bad.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Installer("bad"), "application/octet-stream");
    });
    // A server error, then a cut after a third of the body, then the rest on request.
    routes.Get("/games/flaky/download-flaky.exe", [this](const httplib::Request& req, httplib::Response& res) {
      testing::TestHttpServer::TakeOverRanges(req);
      const int request = ++m_requests;
      m_resumedAtTheCut = req.get_header_value("Range") == "bytes=" + std::to_string(Installer("flaky").size() / 3) + "-";
      if (request == 1) {
        res.status = 503;
        return;
      }
      const std::string body = Installer("flaky");
      res.set_header("ETag", "\"flaky-1\"");
      std::size_t from = 0;
      if (req.has_header("Range") && req.get_header_value("If-Range") == "\"flaky-1\"") {
        from = std::stoul(req.get_header_value("Range").substr(6));
        res.status = 206;
        res.set_header("Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(body.size() - 1) + "/" +
                                            std::to_string(body.size()));
      }
      const std::size_t end = request == 2 ? body.size() / 3 : body.size();
      res.set_content_provider(body.size() - from, "application/octet-stream",
                               [body, from, end](size_t offset, size_t, httplib::DataSink& sink) {
                                 if (from + offset >= end) return false;
                                 sink.write(body.data() + from + offset, end - from - offset);
                                 return true;
                               });
    });
    routes.Get("/games/down/download-down.exe", [this](const httplib::Request&, httplib::Response& res) {
      ++m_requests;
      res.status = 503;
    });
    // A self-extractor that hands the work to a child and exits at once.
    routes.Get("/games/forks/download-forks.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("#!/bin/sh\n(sleep 1; " + InstallerScript("forks").substr(10) + ") &\nexit 0\n",
                      "application/octet-stream");
    });
    routes.Get("/games/slow/download-slow.exe", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
        if (m_server.Released()) return false;
        sink.write(std::string(1024, '#').data(), 1024);
        std::this_thread::sleep_for(20ms);
        return true;
      });
    });
    // Waits for the test's word, installs, and then succeeds ("waits") or fails.
    routes.Get(R"(/games/(waits|waitsfails)/download-\1\.exe)", [this](const httplib::Request& req,
                                                                     httplib::Response& res) {
      ++m_waitsRequests;
      const std::string key = req.matches[1];
      const std::string wait = "touch \"$HOME/started\"\nn=0\nwhile [ ! -e \"$HOME/release\" ] && [ $n -lt 400 ]; do "
                               "sleep 0.05; n=$((n+1)); done\n";
      res.set_content(InstallerScript(key.c_str(), wait.c_str()) + (key == "waits" ? "" : "exit 1\n"),
                      "application/octet-stream");
    });
    // Installers that leave the game's executable and then fail, or are killed.
    routes.Get(R"(/games/(fails|killed)/download-\1\.exe)", [](const httplib::Request& req, httplib::Response& res) {
      const std::string key = req.matches[1];
      res.set_content(InstallerScript(key.c_str()) + (key == "fails" ? "exit 3\n" : "kill -9 $$\n"),
                      "application/octet-stream");
    });
    // "unsure" serves another installer than the one its checksum is of, "sure" the right
    // one; their checksum file answers 503, then hangs until the server goes, then answers.
    routes.Get(R"(/games/(unsure|sure)/download-\1\.exe)", [this](const httplib::Request& req, httplib::Response& res) {
      ++m_requests;
      res.set_content(Installer(req.matches[1] == "unsure" ? "other" : "sure"), "application/octet-stream");
    });
    routes.Get(R"(/games/(unsure|sure)/download-\1\.exe\.sha256)", [this](const httplib::Request& req,
                                                                        httplib::Response& res) {
      const int request = ++m_checksumRequests;
      if (request == 1) res.status = 503;
      if (request == 2) m_server.HoldUntilReleased();
      const QByteArray sum = QCryptographicHash::hash(QByteArray::fromStdString(Installer(req.matches[1])),
                                                      QCryptographicHash::Sha256);
      if (request > 2) res.set_content(sum.toHex().toStdString() + "\n", "text/plain");
    });
    routes.Get("/games/unanswered/download-unanswered.exe", [this](const httplib::Request&, httplib::Response& res) {
      ++m_requests;
      res.set_content(Installer("unanswered"), "application/octet-stream");
    });
    routes.Get("/games/unanswered/download-unanswered.exe.sha256", [](const httplib::Request&, httplib::Response& res) {
      res.status = 503;
    });
    // Leaves a process of a session of its own running, and no game.
    routes.Get("/games/leaves/download-leaves.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("#!/bin/sh\nsetsid sleep 60 </dev/null >/dev/null 2>&1 &\necho $! >> \"$HOME/left.pid\"\n",
                      "application/octet-stream");
    });
    // Installs, and leaves a child in its session until the test ends it.
    routes.Get("/games/lingers/download-lingers.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(InstallerScript("lingers") + "sleep 60 </dev/null >/dev/null 2>&1 &\necho $! >> \"$HOME/left.pid\"\n",
                      "application/octet-stream");
    });
    routes.Get("/games/nogame/download-nogame.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("#!/bin/sh\nexit 0\n", "application/octet-stream");
    });
    // A Windows program of no known processor, and a 32-bit one.
    routes.Get(R"(/games/(win|win32|winlog)/download-\1\.exe)", [this](const httplib::Request& req, httplib::Response& res) {
      ++m_requests;
      std::string head(0x40, '\0');
      head[0] = 'M';
      head[1] = 'Z';
      head[0x3c] = 0x40;
      head += std::string("PE\0\0\x4c\x01", 6);
      if (req.matches[1] != "win32") head.resize(2);
      res.set_content(head + std::string(5000, '\x01'), "application/octet-stream");
    });
    routes.Get("/games/garbage/download-garbage.exe", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(5000, '\x01'), "application/octet-stream");
    });
    m_server.Start();
  }
  void TearDown() override {
    // Every worker has ended before the next test changes the environment.
    ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, 20000));
  }

  std::unique_ptr<InstallerDownload> Job(const QString& key) {
    testing::FixedClock clock(42);
    auto job =
        std::make_unique<InstallerDownload>(DownloadAddress(Hosts{{}, m_server.Host(), {}, "http"}, key, clock), key);
    job->SetStallTimeout(2s);
    job->SetBackOffUnit(10ms);
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
  // Ends the processes installers left running, whose pids they wrote to $HOME/left.pid.
  void EndLeftProcesses() const {
    QFile pids(m_home.Path() + "/left.pid");
    if (!pids.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& pid : pids.readAll().split('\n'))
      if (pid.toInt() > 0) ::kill(pid.toInt(), SIGKILL);
  }

  testing::IsolatedHome m_home;
  testing::TestHttpServer m_server;
  std::atomic<int> m_requests{0};
  std::atomic<int> m_waitsRequests{0};
  std::atomic<int> m_checksumRequests{0};
  std::atomic<bool> m_resumedAtTheCut{false};  // the last request asked for the rest after the cut
};

// "mir" matches its checksum, is run and then deleted.
TEST_F(InstallerDownloadTest, DownloadsVerifiesAndRunsTheInstaller) {
  auto job = Job("mir");
  QList<int> progress;
  EXPECT_EQ(Run(*job, &progress), Outcome::Installed);

  EXPECT_TRUE(QFile::exists(paths::GameExecutable("mir")));
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_EQ(progress.last(), InstallerDownload::kProgressRange);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_TRUE(InstallerFiles().isEmpty());
  EXPECT_EQ(QFile::permissions(paths::InstallerFolder()) & 0x0777, QFile::Permissions(0x0700));
}

// A checksum file the host refuses, or that holds no checksum, is asked for once and
// never keeps the installer from coming.
TEST_F(InstallerDownloadTest, ChecksumFilesThatAreNoChecksumLetTheInstallerThrough) {
  for (const char* key : {"forbidden", "gone", "html", "upper"}) {
    SCOPED_TRACE(key);
    m_checksumRequests = 0;
    auto job = Job(key);
    EXPECT_EQ(Run(*job), Outcome::Installed);
    EXPECT_EQ(m_checksumRequests.load(), 1);
  }
}

TEST_F(InstallerDownloadTest, InstallerThatMissesItsChecksumIsDeletedUnrun) {
  auto job = Job("bad");
  EXPECT_EQ(Run(*job), Outcome::Corrupt);
  EXPECT_FALSE(QFile::exists(paths::GameExecutable("bad")));
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

// A 503, then a cut: each retry resumes, and the bar never drops back.
TEST_F(InstallerDownloadTest, RetriesResumeWhereTheLastAttemptStopped) {
  auto job = Job("flaky");
  QList<int> progress;
  EXPECT_EQ(Run(*job, &progress), Outcome::Installed);
  EXPECT_EQ(m_requests.load(), 3);
  EXPECT_TRUE(m_resumedAtTheCut.load());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_TRUE(QFile::exists(paths::GameExecutable("flaky")));
}

TEST_F(InstallerDownloadTest, GivesUpAfterFiveRetriesAndCancelEndsABackOffAtOnce) {
  auto job = Job("down");
  EXPECT_EQ(Run(*job), Outcome::Unreachable);
  EXPECT_EQ(m_requests.load(), 6);

  m_requests = 0;
  job = Job("down");
  job->SetBackOffUnit(60s);
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_requests.load() == 1; }, 20000));
  const auto cancelled = std::chrono::steady_clock::now();
  job->Cancel();
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 5s);
}

// The installer starts the real work in a child and exits at once: the game is looked for
// only after the child has ended too.
TEST_F(InstallerDownloadTest, InstallerThatForksIsWaitedForWithItsChildren) {
  auto job = Job("forks");
  EXPECT_EQ(Run(*job), Outcome::Installed);
  EXPECT_TRUE(QFile::exists(paths::GameExecutable("forks")));
}

// An installer that fails after it made the game's executable, or that is killed, has
// installed nothing: the executable goes, so the next try installs again.
TEST_F(InstallerDownloadTest, FailedDownloadOrInstallStartsNothing) {
  const struct {
    const char* key;
    Outcome outcome;
  } failures[] = {{"absent", Outcome::Refused},
                  {"garbage", Outcome::InstallFailed},
                  {"fails", Outcome::InstallFailed},
                  {"killed", Outcome::InstallFailed}};
  for (const auto& failure : failures) {
    SCOPED_TRACE(failure.key);
    auto job = Job(failure.key);
    EXPECT_EQ(Run(*job), failure.outcome);
    EXPECT_FALSE(QFile::exists(paths::GameExecutable(failure.key)));
  }
  // The 404 left nothing; the installers that ran went.
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

// The checksum file fails, then hangs while the window closes: the whole installer stays a
// part, never at its final name. The next try asks for the checksum again and verifies the
// part without downloading it again: the wrong one is deleted unrun, the right one runs.
TEST_F(InstallerDownloadTest, AnInstallerRunsOnlyVerifiedEvenAfterAnInterruptedCheck) {
  const struct {
    const char* key;
    Outcome outcome;
  } rows[] = {{"unsure", Outcome::Corrupt}, {"sure", Outcome::Installed}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    m_requests = 0;
    m_checksumRequests = 0;
    auto job = Job(row.key);
    QSignalSpy finished(job.get(), &InstallerDownload::finished);
    job->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_checksumRequests.load() == 2; }, 20000));
    job->Cancel();
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Cancelled);
    EXPECT_FALSE(QFile::exists(paths::InstallerPath(row.key)));
    EXPECT_TRUE(QFile::exists(InstallerTransfer::PartialPath(paths::InstallerPath(row.key))));

    job = Job(row.key);
    EXPECT_EQ(Run(*job), row.outcome);
    EXPECT_EQ(m_requests.load(), 1);
    EXPECT_EQ(m_checksumRequests.load(), 3);
    EXPECT_EQ(QFile::exists(paths::GameExecutable(row.key)), row.outcome == Outcome::Installed);
    EXPECT_TRUE(InstallerFiles().isEmpty()) << InstallerFiles().join(' ').toStdString();
  }
}

// A checksum file that never answers keeps the installer from running, not from coming: it
// stays a whole part for the next try to verify.
TEST_F(InstallerDownloadTest, AnInstallerWhoseChecksumNeverAnswersIsKeptUnrun) {
  auto job = Job("unanswered");
  EXPECT_EQ(Run(*job), Outcome::Unreachable);
  EXPECT_EQ(m_requests.load(), 1);
  EXPECT_EQ(InstallerFiles(), (QStringList{"unanswered-7z.exe.part", "unanswered-7z.exe.part.tag"}));
  EXPECT_FALSE(QFile::exists(paths::GameExecutable("unanswered")));
}

// The key is busy for as long as the installer's own session runs, not for as long as a
// process it started in a session of its own: a second try ends at once.
TEST_F(InstallerDownloadTest, AProcessThatLeavesTheInstallerSessionKeepsNoKeyBusy) {
  const auto end = qScopeGuard([this] { EndLeftProcesses(); });
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto job = Job("leaves");
    EXPECT_EQ(Run(*job), Outcome::NoGame);
  }
}

// The installer is kept: the next try, once the user has installed what was missing,
// runs it without downloading it again.
TEST_F(InstallerDownloadTest, WindowsInstallerThatCannotRunHereIsToldApartAndKept) {
  const auto restorePath = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
  qputenv("PATH", m_home.Path().toLocal8Bit());  // no wine here
  const auto restoreWine = qScopeGuard([] { qunsetenv("TARVEX_WINE"); });
  // A wine that would leave a mark, and that has no 32-bit loader.
  QFile wine(m_home.Path() + "/wine64-only");
  ASSERT_TRUE(wine.open(QIODevice::WriteOnly));
  wine.write("#!/bin/sh\ntouch \"$HOME/wine-ran\"\n");
  wine.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  wine.close();
  const struct {
    const char* key;
    const char* wine;
    Outcome outcome;
  } rows[] = {{"win", nullptr, Outcome::WineMissing}, {"win32", "wine64-only", Outcome::Wine32Missing}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    row.wine ? qputenv("TARVEX_WINE", row.wine) : qunsetenv("TARVEX_WINE");
    m_requests = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
      auto job = Job(row.key);
      EXPECT_EQ(Run(*job), row.outcome);
    }
    EXPECT_EQ(m_requests.load(), 1);
    EXPECT_TRUE(QFile::exists(paths::InstallerPath(row.key)));
  }
  EXPECT_FALSE(QFile::exists(m_home.Path() + "/wine-ran"));
}

// The game's log cannot be written (its folder cannot be made): the Windows installer runs
// all the same, its output dropped.
TEST_F(InstallerDownloadTest, WindowsInstallerRunsWithoutItsLog) {
  const auto restoreWine = qScopeGuard([] { qunsetenv("TARVEX_WINE"); });
  // A wine that makes its prefix at once and installs the game.
  QFile wine(m_home.Path() + "/wine-stand-in");
  ASSERT_TRUE(wine.open(QIODevice::WriteOnly));
  wine.write("#!/bin/sh\nif [ \"$1\" = wineboot ]; then mkdir -p \"$WINEPREFIX\" && touch \"$WINEPREFIX/system.reg\"; "
             "exit 0; fi\n" +
             QByteArray::fromStdString(InstallerScript("winlog").substr(10)));
  wine.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  wine.close();
  qputenv("TARVEX_WINE", QFile::encodeName(wine.fileName()));
  // A file where the logs' folder belongs.
  const QString logs = paths::ProgramLogFolder().chopped(1);
  ASSERT_TRUE(QDir().mkpath(QFileInfo(logs).path()));
  QFile inTheWay(logs);
  ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
  inTheWay.close();
  auto job = Job("winlog");
  EXPECT_EQ(Run(*job), Outcome::Installed);
  EXPECT_TRUE(QFile::exists(paths::GameExecutable("winlog")));
}

TEST_F(InstallerDownloadTest, InstallerWithoutGameFailsAndStartsNothing) {
  // Handing back would only lead to the same download again.
  auto job = Job("nogame");
  EXPECT_EQ(Run(*job), Outcome::NoGame);
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
}

TEST_F(InstallerDownloadTest, DeletingTheJobMidTransferCleansUp) {
  auto job = Job("slow");
  QSignalSpy progress(job.get(), &InstallerDownload::progressChanged);
  job->Start();
  ASSERT_TRUE(progress.wait(20000));
  job.reset();
  ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, 20000));
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

// The window closes while the installer runs: the worker stops waiting at once, the
// installer finishes its work, and the game is not started afterwards.
TEST_F(InstallerDownloadTest, ClosingDuringTheInstallerStartsNothingAfterIt) {
  auto job = Job("waits");
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_home.Path() + "/started"); }, 20000));
  job->Cancel();
  ASSERT_TRUE(finished.wait(5000));
  ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, 5000));
  QFile release(m_home.Path() + "/release");
  ASSERT_TRUE(release.open(QIODevice::WriteOnly));
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(paths::GameExecutable("waits")); }, 20000));
  // The worker ended with the close: it reported that alone, and nothing after the install.
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(finished.size(), 1);
  EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Cancelled);
}

// The window closes while the installer's child still runs in its session: the wait ends
// at once. The next window waits for that session, then judges what it left.
TEST_F(InstallerDownloadTest, ClosingWhileTheInstallerSessionRunsEndsTheWaitAndTheNextOneWaits) {
  const auto end = qScopeGuard([this] { EndLeftProcesses(); });
  auto job = Job("lingers");
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  // The installer itself has ended once its shell has left its exit status.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(paths::InstallerLock("lingers") + ".status"); }, 20000));
  job->Cancel();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Cancelled);

  auto next = Job("lingers");
  QSignalSpy nextFinished(next.get(), &InstallerDownload::finished);
  QSignalSpy phases(next.get(), &InstallerDownload::phaseChanged);
  next->Start();
  ASSERT_TRUE(phases.wait(20000));
  EXPECT_EQ(phases.first().at(0).value<InstallerDownload::Phase>(), InstallerDownload::Phase::Installing);
  EXPECT_TRUE(nextFinished.isEmpty());
  EndLeftProcesses();
  ASSERT_TRUE(nextFinished.wait(20000));
  EXPECT_EQ(nextFinished.first().at(0).value<Outcome>(), Outcome::Installed);
  EXPECT_TRUE(InstallerFiles().isEmpty());
}

// A window closed while its installer runs, then opened again: the second worker waits
// for the first installer instead of downloading over it, and judges it by its exit
// status, not by the game's executable alone.
TEST_F(InstallerDownloadTest, SecondOpenWhileTheInstallerRunsDownloadsNothing) {
  const struct {
    const char* key;
    Outcome outcome;
  } rows[] = {{"waits", Outcome::Installed}, {"waitsfails", Outcome::InstallFailed}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    m_waitsRequests = 0;
    QFile::remove(m_home.Path() + "/started");
    QFile::remove(m_home.Path() + "/release");
    auto first = Job(row.key);
    first->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_home.Path() + "/started"); }, 20000));
    first.reset();
    auto second = Job(row.key);
    QSignalSpy finished(second.get(), &InstallerDownload::finished);
    QSignalSpy phases(second.get(), &InstallerDownload::phaseChanged);
    second->Start();
    // Its window says "installing", not an empty download.
    ASSERT_TRUE(phases.wait(20000));
    EXPECT_EQ(phases.first().at(0).value<InstallerDownload::Phase>(), InstallerDownload::Phase::Installing);
    EXPECT_TRUE(finished.isEmpty());
    QFile release(m_home.Path() + "/release");
    ASSERT_TRUE(release.open(QIODevice::WriteOnly));
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.first().at(0).value<Outcome>(), row.outcome);
    EXPECT_EQ(m_waitsRequests.load(), 1);
    EXPECT_EQ(QFile::exists(paths::GameExecutable(row.key)), row.outcome == Outcome::Installed);
  }
}

// Another launcher process installs the game (it holds the key's lock file): this one
// waits, saying "installing", and downloads nothing once the game is there.
TEST_F(InstallerDownloadTest, AnInstallInAnotherProcessIsWaitedFor) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(paths::InstallerLock("mir")).path()));
  const int other = ::open(QFile::encodeName(paths::InstallerLock("mir")).constData(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  auto job = Job("mir");
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  QSignalSpy phases(job.get(), &InstallerDownload::phaseChanged);
  job->Start();
  EXPECT_FALSE(finished.wait(300));
  ASSERT_FALSE(phases.isEmpty());
  EXPECT_EQ(phases.first().at(0).value<InstallerDownload::Phase>(), InstallerDownload::Phase::Installing);
  ASSERT_TRUE(QDir().mkpath(QFileInfo(paths::GameExecutable("mir")).path()));
  QFile game(paths::GameExecutable("mir"));
  ASSERT_TRUE(game.open(QIODevice::WriteOnly));
  game.close();
  ::close(other);
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_EQ(finished.first().at(0).value<Outcome>(), Outcome::Installed);
  EXPECT_EQ(m_requests.load(), 0);
}

TEST_F(InstallerDownloadTest, StartTwiceRunsOneWorker) {
  auto job = Job("mir");
  QSignalSpy finished(job.get(), &InstallerDownload::finished);
  job->Start();
  job->Start();
  ASSERT_TRUE(finished.wait(20000));
  ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, 20000));
  EXPECT_EQ(m_requests.load(), 1);
  EXPECT_EQ(finished.size(), 1);
}

// A week-old partial file goes with its tag; a younger one stays to be resumed.
TEST_F(InstallerDownloadTest, PartialFilesOlderThanAWeekAreRemoved) {
  const QString folder = paths::InstallerFolder();
  ASSERT_TRUE(QDir().mkpath(folder));
  for (const QString name : {"old-7z.exe.part", "old-7z.exe.part.tag", "new-7z.exe.part", "new-7z.exe.part.tag"}) {
    QFile file(folder + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const int age = name.startsWith("old") ? 8 : 6;
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-age), QFileDevice::FileModificationTime));
  }
  InstallerFetch::RemoveStalePartials(folder);
  EXPECT_EQ(InstallerFiles(), (QStringList{"new-7z.exe.part", "new-7z.exe.part.tag"}));
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
