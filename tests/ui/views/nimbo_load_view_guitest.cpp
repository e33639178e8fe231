// The download window under the virtual X server, downloading real installers (shell
// scripts) from a loopback server.
#include "ui/views/nimbo_load_view.h"

#include "install/test_http_server.h"
#include "platform/paths.h"
#include "support/trace_capture.h"
#include "support/wait.h"
#include "ui/views/download_status_text.h"
#include "ui/views/view_fixture.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <thread>

#include <sys/mount.h>


namespace tarvex {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 20000;
constexpr std::size_t kBodySize = 100000;
constexpr std::size_t kKeptBytes = 8 * 1024 * 1024;

// An installer as the portal serves it: it puts KEY.exe into the games folder.
std::string InstallerScript(const std::string& key) {
  return "#!/bin/sh\ndir=\"$XDG_DATA_HOME/Tarvex/Box/games/" + key + "\"\nmkdir -p \"$dir\" && echo game > \"$dir/" +
         key + ".exe\"\n" + std::string(kBodySize, '#') + "\n";
}

class LoadView : public ::testing::Test {
 protected:
  void SetUp() override {
    // "absent" is not found; "broken" breaks off after 30 % every time; "held" stops after
    // 40 % until the server goes; any other key is a working installer.
    m_server.Routes().Get(R"(/games/([^/]+)/download-[^/]+\.exe)", [this](const httplib::Request& request,
                                                                          httplib::Response& response) {
      {
        const std::lock_guard lock(m_mutex);
        m_targets.push_back(request.target);
        if (!m_firstRequest) m_firstRequest = std::chrono::steady_clock::now();
      }
      const std::string key = request.matches[1];
      if (key == "absent") {
        response.status = 404;
      } else if (key == "broken" || key == "held") {
        const std::size_t sent = key == "broken" ? kBodySize * 3 / 10 : kBodySize * 4 / 10;
        response.set_content_provider(kBodySize, "application/octet-stream",
                                      [this, key, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                        if (offset >= sent) {
                                          if (key == "held") m_server.HoldUntilReleased();
                                          return false;
                                        }
                                        sink.write(std::string(sent, '#').data(), sent);
                                        return true;
                                      });
      } else if (key == "resumed") {
        // The rest of a kept part, slowly, until the server goes.
        testing::TestHttpServer::TakeOverRanges(request);
        const std::size_t total = kKeptBytes + kBodySize;
        if (request.get_header_value("If-Range") != "\"r1\"" ||
            request.get_header_value("Range") != "bytes=" + std::to_string(kKeptBytes) + "-") {
          response.status = 412;
          return;
        }
        response.status = 206;
        response.set_header("ETag", "\"r1\"");
        response.set_header("Content-Range", "bytes " + std::to_string(kKeptBytes) + "-" + std::to_string(total - 1) +
                                                 "/" + std::to_string(total));
        response.set_content_provider(kBodySize, "application/octet-stream",
                                      [this](std::size_t, std::size_t, httplib::DataSink& sink) {
                                        if (m_server.Released()) return false;
                                        std::this_thread::sleep_for(20ms);
                                        return sink.write(std::string(1024, '#').data(), 1024);
                                      });
      } else if (key == "endless") {
        // No size given: only the disk's end stops it.
        response.set_chunked_content_provider("application/octet-stream", [](std::size_t, httplib::DataSink& sink) {
          return sink.write(std::string(64 * 1024, '#').data(), 64 * 1024);
        });
      } else if (key == "win32") {
        // The headers of a 32-bit Windows program.
        std::string head(0x40, '\0');
        head[0] = 'M';
        head[1] = 'Z';
        head[0x3c] = 0x40;
        response.set_content(head + std::string("PE\0\0\x4c\x01", 6) + std::string(kBodySize, '\0'),
                             "application/octet-stream");
      } else {
        response.set_content(InstallerScript(key), "application/octet-stream");
      }
    });
    // "corrupt" publishes a checksum its installer does not have.
    m_server.Routes().Get("/games/corrupt/download-corrupt.exe.sha256", [](const httplib::Request&,
                                                                           httplib::Response& response) {
      response.set_content(std::string(64, '0') + "  download-corrupt.exe\n", "text/plain");
    });
    m_server.Start();
    m_fakes.services.hosts.download = m_server.Host();
    m_fakes.services.hosts.downloadScheme = QStringLiteral("http");
  }
  void TearDown() override {
    delete m_view.data();
    m_server.Release();
    ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, kWaitMs));
  }

  NimboLoadView* Open(const QString& key, std::chrono::milliseconds startDelay = 50ms) {
    m_view = m_fakes.services.windows.Add(WindowRegistry::Kind::Download,
                                          new NimboLoadView(m_fakes.services.Get(), m_fakes.main, key));
    m_view->SetStartDelay(startDelay);
    m_view->SetStallTimeout(5s);
    m_view->SetBackOffUnit(10ms);
    if (m_freeSpace) m_view->SetFreeSpace(m_freeSpace);
    m_view->OnInitDialog();
    m_view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.data()));
    return m_view.data();
  }
  QWidget* OpenDownloadWindow() const { return m_fakes.services.windows.Shown(WindowRegistry::Kind::Download); }
  QProgressBar* Bar() const { return qobject_cast<QProgressBar*>(FindControl(m_view.data(), 1002)); }
  QLabel* Label(int id) const { return qobject_cast<QLabel*>(FindControl(m_view.data(), id)); }
  std::vector<std::string> Targets() {
    const std::lock_guard lock(m_mutex);
    return m_targets;
  }
  // The download has ended and its outcome has reached the window.
  [[nodiscard]] bool DownloadEnded() {
    if (!QTest::qWaitFor([this] { return !Targets().empty() && testing::NoWorkerRunning(); }, kWaitMs))
      return false;
    // A worker posts its outcome before it ends.
    QCoreApplication::sendPostedEvents();
    return true;
  }
  // Opens the window for `key`, whose download must end for want of room, once, leaving at
  // most `mostWritten` bytes of its files.
  void ExpectDiskFull(const QString& key, qint64 mostWritten) {
    Open(key);
    ASSERT_TRUE(DownloadEnded());
    ASSERT_FALSE(m_view.isNull());
    EXPECT_EQ(Label(NimboLoadView::kNoticeId)->text(), DownloadFailureText(InstallerDownload::Outcome::DiskFull));
    testing::SaveScreenshot(m_view.data(), QStringLiteral("load_window_disk_full"));
    EXPECT_EQ(Targets().size(), 1u);
    for (const QFileInfo& file : QDir(paths::InstallerFolder()).entryInfoList({key + "-*"}, QDir::Files | QDir::Hidden))
      EXPECT_LE(file.size(), mostWritten) << file.fileName().toStdString();
    EXPECT_TRUE(NothingStarted(key));
    delete m_view.data();
    const std::lock_guard lock(m_mutex);
    m_targets.clear();
  }
  // No installer left the game, and the main window was not handed back to, so no game starts.
  bool NothingStarted(const QString& key) const {
    return !QFile::exists(paths::GameExecutable(key)) && m_fakes.main.handBacks == 0;
  }

  testing::ViewFakes m_fakes;
  testing::TestHttpServer m_server;
  QPointer<NimboLoadView> m_view;
  InstallerTransfer::FreeSpace m_freeSpace;  // the disk's own unless set
  std::mutex m_mutex;
  std::vector<std::string> m_targets;
  std::optional<std::chrono::steady_clock::time_point> m_firstRequest;
};

TEST_F(LoadView, SetUpGivesTheSkinnedWindowItsBarAndHiddenButton) {
  testing::TraceCapture traces;
  NimboLoadView unset(m_fakes.services.Get(), m_fakes.main, QStringLiteral("x"));
  Open(QStringLiteral("setup"), 10s);
  EXPECT_EQ(m_view->windowTitle(), QStringLiteral("TarvexLOAD"));
  EXPECT_EQ(m_view->size(), QSize(616, 228));
  EXPECT_TRUE(m_view->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(m_view->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_EQ(traces.Lines(), (QStringList{"setup", "----------------game_name-------------------\n"}));

  QProgressBar* bar = Bar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(127, 187, 400, 4));
  EXPECT_FALSE(bar->isTextVisible());
  // An unknown size shows an empty bar, never a busy one.
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), InstallerDownload::kProgressRange);
  EXPECT_EQ(bar->value(), 0);
  auto* button = qobject_cast<QPushButton*>(FindControl(m_view.data(), 1003));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(591, -3, 28, 27));
  EXPECT_EQ(button->text(), QStringLiteral("关闭"));
  EXPECT_FALSE(button->isVisible());

  // The shown window is the open one; Enter and Escape leave it open.
  EXPECT_EQ(OpenDownloadWindow(), m_view.data());
  QTest::keyClick(m_view.data(), Qt::Key_Return);
  QTest::keyClick(m_view.data(), Qt::Key_Escape);
  EXPECT_TRUE(m_view->isVisible());
  // A closed window is gone for the look-up at once, before it is deleted.
  m_view->close();
  EXPECT_EQ(OpenDownloadWindow(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_view.isNull(); }, kWaitMs));
}

TEST_F(LoadView, ClosingBeforeTheStartDelayStartsNoDownload) {
  // Far longer than the window needs to show, however loaded the machine is.
  Open(QStringLiteral("early"), 60s);
  ASSERT_EQ(m_view->Download(), nullptr);
  m_view->close();
  // Its start timer goes with it.
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_view.isNull(); }, kWaitMs));
  EXPECT_TRUE(Targets().empty());
  EXPECT_TRUE(testing::NoWorkerRunning());
  EXPECT_TRUE(NothingStarted(QStringLiteral("early")));
}

// The hand-back's request starts the installed game; the window starts nothing itself.
TEST_F(LoadView, ASuccessfulDownloadInstallsAndHandsBack) {
  testing::TraceCapture traces;
  m_fakes.services.clock.Set(4294967000u);  // 49 days after start: a negative signed tick
  m_fakes.main.window.hide();
  const auto opened = std::chrono::steady_clock::now();
  Open(QStringLiteral("mir"), NimboLoadView::kStartDelay);
  QSignalSpy progress(Bar(), &QProgressBar::valueChanged);
  ASSERT_TRUE(QTest::qWaitFor([this] { return m_view.isNull(); }, kWaitMs));
  // Not earlier than two seconds after the set-up.
  {
    const std::lock_guard lock(m_mutex);
    ASSERT_TRUE(m_firstRequest.has_value());
    EXPECT_GE(*m_firstRequest - opened, NimboLoadView::kStartDelay);
  }

  EXPECT_EQ(Targets(), std::vector<std::string>{"/games/mir/download-mir.exe?t=-296"});
  EXPECT_TRUE(QFile::exists(paths::GameExecutable(QStringLiteral("mir"))));
  EXPECT_TRUE(m_fakes.services.programStarter.Calls().empty());
  EXPECT_TRUE(m_fakes.main.window.isVisible());
  EXPECT_EQ(m_fakes.main.handBacks, 1);
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_EQ(progress.last().at(0).toInt(), InstallerDownload::kProgressRange);
  EXPECT_EQ(traces.Lines().mid(0, 6),
            (QStringList{"mir", "----------------game_name-------------------\n", "mir",
                         "----------------game_name1-------------------\n",
                         "----------------CStringExePath-------------------\n",
                         paths::InstallerPath(QStringLiteral("mir"))}));
}

TEST_F(LoadView, AFailedDownloadLeavesTheWindowAsItStopped) {
  // The bar never goes beyond what arrived: nothing of a 404, at most 30 % of the broken one.
  const struct {
    const char* key;
    int mostBar;
    InstallerDownload::Outcome says;
  } failures[] = {{"absent", 0, InstallerDownload::Outcome::Refused},
                  {"broken", 300, InstallerDownload::Outcome::Unreachable}};
  for (const auto& failure : failures) {
    SCOPED_TRACE(failure.key);
    Open(QString::fromLatin1(failure.key));
    ASSERT_TRUE(DownloadEnded());
    ASSERT_FALSE(m_view.isNull());
    EXPECT_TRUE(m_view->isVisible());
    EXPECT_EQ(OpenDownloadWindow(), m_view.data());
    EXPECT_LE(Bar()->value(), failure.mostBar);
    EXPECT_TRUE(Label(NimboLoadView::kNoticeId)->isVisible());
    EXPECT_EQ(Label(NimboLoadView::kNoticeId)->text(), DownloadFailureText(failure.says));
    EXPECT_FALSE(m_fakes.main.window.isVisible());
    EXPECT_TRUE(NothingStarted(QString::fromLatin1(failure.key)));
    EXPECT_FALSE(QFile::exists(paths::InstallerPath(QString::fromLatin1(failure.key))));
    delete m_view.data();
    const std::lock_guard lock(m_mutex);
    m_targets.clear();
  }
}

// The installer is deleted unrun, and the window says why in both languages.
TEST_F(LoadView, AnInstallerThatMissesItsChecksumIsReportedOnTheWindow) {
  Open(QStringLiteral("corrupt"));
  ASSERT_TRUE(DownloadEnded());
  ASSERT_FALSE(m_view.isNull());
  auto* notice = qobject_cast<QLabel*>(FindControl(m_view.data(), NimboLoadView::kNoticeId));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains(QStringLiteral("손상")));
  EXPECT_TRUE(notice->text().contains(QStringLiteral("损坏")));
  testing::SaveScreenshot(m_view.data(), QStringLiteral("load_window_corrupt"));
  EXPECT_TRUE(NothingStarted(QStringLiteral("corrupt")));
  EXPECT_FALSE(QFile::exists(paths::GameExecutable(QStringLiteral("corrupt"))));
  EXPECT_TRUE(QDir(paths::InstallerFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(LoadView, ClosingDuringTheTransferCancelsIt) {
  Open(QStringLiteral("held"));
  // 40 % arrived; the bar shows it once the stalled transfer reports again.
  ASSERT_TRUE(QTest::qWaitFor([this] { return Bar()->value() >= 399; }, kWaitMs));
  EXPECT_LE(Bar()->value(), 400);
  // Beneath the bar: the phase and the size, in both languages.
  ASSERT_TRUE(QTest::qWaitFor([this] { return Label(NimboLoadView::kStatusId)->text().contains("/ 97.7 KB"); }, kWaitMs))
      << Label(NimboLoadView::kStatusId)->text().toStdString();
  EXPECT_TRUE(Label(NimboLoadView::kStatusId)->text().startsWith(QStringLiteral("다운로드 중  39.1 KB / 97.7 KB")));
  EXPECT_TRUE(Label(NimboLoadView::kStatusId)->text().contains(QStringLiteral("\n正在下载  39.1 KB / 97.7 KB")));
  testing::SaveScreenshot(m_view.data(), QStringLiteral("load_window"));
  m_view->close();
  ASSERT_TRUE(QTest::qWaitFor(testing::NoWorkerRunning, kWaitMs));
  EXPECT_TRUE(m_view.isNull());
  EXPECT_TRUE(NothingStarted(QStringLiteral("held")));
  EXPECT_TRUE(QDir(paths::InstallerFolder()).entryList(QDir::Files | QDir::Hidden).filter("held").isEmpty());
}

// A 32-bit installer, and a wine that runs 64-bit programs only: the user is told once, with
// the commands that bring 32-bit wine, the window says why it stopped, nothing runs, and
// the installer stays for the next try.
TEST_F(LoadView, AThirtyTwoBitInstallerWithoutThirtyTwoBitWineIsToldAndKept) {
  QFile wine(QDir::home().filePath("wine64-only"));
  ASSERT_TRUE(wine.open(QIODevice::WriteOnly));
  wine.write("#!/bin/sh\ntouch \"$HOME/wine-ran\"\n");
  wine.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  wine.close();
  qputenv("TARVEX_WINE", QFile::encodeName(wine.fileName()));
  const auto restoreWine = qScopeGuard([] { qunsetenv("TARVEX_WINE"); });
  Open(QStringLiteral("win32"));
  ASSERT_TRUE(DownloadEnded());
  ASSERT_FALSE(m_view.isNull());
  ASSERT_EQ(m_fakes.services.prompt.Questions().size(), 1u);
  EXPECT_TRUE(m_fakes.services.prompt.Questions()[0].text.contains(
      QStringLiteral("sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install wine32:i386")));
  EXPECT_EQ(Label(NimboLoadView::kNoticeId)->text(), DownloadFailureText(InstallerDownload::Outcome::Wine32Missing));
  EXPECT_TRUE(NothingStarted(QStringLiteral("win32")));
  EXPECT_FALSE(QFile::exists(QDir::home().filePath("wine-ran")));
  EXPECT_TRUE(QFile::exists(paths::InstallerPath(QStringLiteral("win32"))));
}

// Far too little room for the installer. One of known size is refused before anything is
// written; one without a size stops while the margin is still free. Neither is retried,
// and the window says the disk is full.
TEST_F(LoadView, ADownloadThatCannotFitSaysSoAndIsNotRetried) {
  m_freeSpace = [](const QString&) -> std::int64_t { return 1024 * 1024; };
  for (const char* key : {"large", "endless"}) {
    SCOPED_TRACE(key);
    ExpectDiskFull(QString::fromLatin1(key), 0);
  }
}

// A disk that fills while the installer comes: the write that finds it full ends the
// download the same way. Needs root, for the mount of a small file system.
TEST_F(LoadView, ADiskThatFillsDuringTheDownloadSaysSo) {
  const QString folder = paths::InstallerFolder();
  ASSERT_TRUE(QDir().mkpath(folder));
  if (::mount("tarvex-small", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "cannot mount a small file system here (not root)";
  const auto unmount = qScopeGuard([folder] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); });
  // The free space as if the disk were large: only the full disk stops the writes.
  m_freeSpace = [](const QString&) -> std::int64_t { return -1; };
  ExpectDiskFull(QStringLiteral("endless"), 1024 * 1024);
}

// A resumed download's speed counts what arrives in this run, not the part an earlier run
// kept, which is there at once.
TEST_F(LoadView, AResumedDownloadShowsTheSpeedOfThisRunOnly) {
  const QString installer = paths::InstallerPath(QStringLiteral("resumed"));
  ASSERT_TRUE(QDir().mkpath(paths::InstallerFolder()));
  QFile part(InstallerTransfer::PartialPath(installer));
  ASSERT_TRUE(part.open(QIODevice::WriteOnly));
  ASSERT_EQ(part.write(QByteArray(kKeptBytes, '#')), qint64(kKeptBytes));
  part.close();
  QFile tag(InstallerTransfer::TagPath(installer));
  ASSERT_TRUE(tag.open(QIODevice::WriteOnly));
  tag.write("\"r1\"\n");
  tag.close();
  Open(QStringLiteral("resumed"));
  QLabel* status = Label(NimboLoadView::kStatusId);
  // The server sends about 50 KB a second.
  ASSERT_TRUE(QTest::qWaitFor([status] { return status->text().contains(QStringLiteral("/s")); }, kWaitMs))
      << status->text().toStdString();
  EXPECT_TRUE(status->text().contains(QStringLiteral("KB/s"))) << status->text().toStdString();
  EXPECT_TRUE(status->text().contains(QStringLiteral("/ 8.1 MB"))) << status->text().toStdString();
  m_view->close();
}

}  // namespace
}  // namespace tarvex
