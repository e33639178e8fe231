// The launcher under a misbehaving portal, a full disk and a burst of starts: no crash,
// no hang beyond the time-outs, no partial installer started, the token consumed once.
#include "support/journey.h"
#include "support/launcher_process.h"
#include "support/param_name.h"
#include "support/portal_process.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <memory>

namespace tarvex {
namespace {

using namespace tarvex::testing;

constexpr int kTimeoutMs = 60000;

// Every running process of this executable.
QList<qint64> ClientProcesses() {
  const QString self = QFileInfo(QStringLiteral(TARVEX_CLIENT_EXE)).canonicalFilePath();
  QList<qint64> found;
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
    bool isPid = false;
    const qint64 pid = entry.toLongLong(&isPid);
    if (isPid && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == self) found.append(pid);
  }
  return found;
}

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override { m_desktop.Reset(); }
  PlayerDesktop m_desktop;
};

class GameAddressFaultTest : public FaultTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Faults, GameAddressFaultTest,
                         ::testing::Values("404", "500", "redirect-loop", "garbage", "reset:5"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return ParamName(info.param); });

TEST_P(GameAddressFaultTest, NoGameOpensAndTheLauncherStaysUsable) {
  PortalProcess portal({"--fault", QStringLiteral("/outapi/=%1").arg(GetParam())});
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/outapi/"); }, kTimeoutMs));
  ASSERT_TRUE(WaitUntil([&] { return launcher.Output().contains("POST出错"); }, kTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_FALSE(HasWindow(kGameTitle));
  EXPECT_TRUE(launcher.IsRunning());
  EXPECT_FALSE(m_desktop.TokenFileExists());
  EXPECT_EQ(portal.CountTargets("/tj/minclient"), 1);
  EXPECT_TRUE(HasWindow(kMainTitle));
}

TEST_F(FaultTest, APortalHoldingTheStartPingNeitherHidesTheWindowNorHoldsTheStartPage) {
  PortalProcess portal({"--fault", "/tj/minclient=stall:60000"});
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  EXPECT_TRUE(WaitForWindow(kMainTitle, 15000).has_value()) << launcher.Output().toStdString();
  EXPECT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/server_inf_data/?key=WEBGAME1"; }, 10000))
      << launcher.Output().toStdString();
}

TEST_F(FaultTest, APortalThatComesUpLaterIsLoadedWithoutTheUser) {
  QTcpServer probe;  // a free port, closed again: nobody answers there yet
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString port = QString::number(probe.serverPort());
  probe.close();
  LauncherProcess launcher(QStringLiteral("127.0.0.1:") + port, {});
  const auto main = WaitForWindow(kMainTitle, kTimeoutMs);
  ASSERT_TRUE(main.has_value()) << launcher.Output().toStdString();
  ASSERT_TRUE(WaitUntil([&] { return launcher.Output().contains("portal unreachable"); }, kTimeoutMs))
      << launcher.Output().toStdString();
  // Kept once the launcher's own page shows: its dark ground near the window's lower corner.
  const QPoint inPage = main->geometry.bottomLeft() + QPoint(20, -20);
  EXPECT_TRUE(WaitUntil(
      [&] { return QImage(SaveScreenshot("portal-unreachable")).pixelColor(inPage) == QColor(0x0d, 0x11, 0x18); },
      kTimeoutMs));

  PortalProcess portal({"--port", port});
  ASSERT_TRUE(portal.IsUp());
  // Retried after 2, 4, 8 ... seconds: well inside half a minute.
  EXPECT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/index/"; }, 30000))
      << launcher.Output().toStdString();
  EXPECT_TRUE(launcher.IsRunning());
}

TEST_F(FaultTest, TenMegabyteAnswerIsReadOnlyUpToItsCapAndStillUnderstood) {
  // The answer leads and ten megabytes of filler follow: the launcher takes the first
  // 1999 bytes, finds the game in them and does not wait for the rest.
  PortalProcess portal({"--fault", "/outapi/=oversize"});
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  EXPECT_TRUE(WaitForWindow(kGameTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  // The trace may reach the pipe a moment after the window is up.
  EXPECT_TRUE(WaitUntil([&] { return launcher.Output().contains("POST成功"); }, kTimeoutMs));
}

TEST_F(FaultTest, AnswerInPiecesStillOpensTheGame) {
  PortalProcess portal({"--fault", "/outapi/=chunks:4:200"});
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  EXPECT_TRUE(WaitForWindow(kGameTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
}

TEST_F(FaultTest, StalledPortalFailsAfterItsTimeOutWithoutFreezingTheWindow) {
  PortalProcess portal({"--fault", "/outapi/=stall:45000"});
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/outapi/"); }, kTimeoutMs));
  // The request gives up by itself after 30 s without data.
  EXPECT_TRUE(WaitUntil([&] { return launcher.Output().contains("POST出错"); }, 40000))
      << launcher.Output().toStdString();
  EXPECT_FALSE(HasWindow(kGameTitle));
  EXPECT_TRUE(launcher.IsRunning());
}

TEST_F(FaultTest, FullDiskFailsTheDownloadAndStartsNoPartialInstaller) {
  const QString installers = qEnvironmentVariable("XDG_CACHE_HOME") + "/Tarvex/tmp";
  QDir().mkpath(installers);
  if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k,mode=0700", "tmpfs", installers}) != 0)
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  const std::shared_ptr<void> unmount(nullptr, [&](void*) { QProcess::execute("umount", {installers}); });

  PortalProcess portal({"--installer-pad", "4194304"});
  m_desktop.LeaveToken("CLIENTG1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/games/hero/"); }, kTimeoutMs))
      << launcher.Output().toStdString();
  // The download has given up: whatever it would start, it would start after this.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const QString output = launcher.Output();
        return output.contains("no space for the installer") || output.contains("download failed");
      },
      kTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_TRUE(HasWindow(kLoadTitle));
  EXPECT_FALSE(QFile::exists(m_desktop.GamesFolder() + "/hero/hero.exe"));
  EXPECT_TRUE(WaitUntil([&] { return QDir(installers).isEmpty(); }, kTimeoutMs))
      << QDir(installers).entryList().join(' ').toStdString();
  EXPECT_TRUE(launcher.IsRunning());
}

TEST_F(FaultTest, TwentyQuickStartsLeaveExactlyOneInstanceAndNoOrphans) {
  PortalProcess portal;
  std::vector<std::unique_ptr<LauncherProcess>> launchers;
  for (int i = 0; i < 20; ++i) {
    launchers.push_back(std::make_unique<LauncherProcess>(portal.Host(), QStringList{}));
    WaitUntil([] { return false; }, 100);
  }
  // Starts that meet take turns in no set order, so the one that stays is one of the
  // latest, not necessarily the very last.
  LauncherProcess* survivor = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        std::vector<LauncherProcess*> running;
        for (const auto& launcher : launchers)
          if (launcher->IsRunning()) running.push_back(launcher.get());
        survivor = running.size() == 1 ? running.front() : nullptr;
        return survivor != nullptr;
      },
      180000));
  const qint64 survivorPid = survivor->Pid();
  const auto main = WaitForWindow(kMainTitle, kTimeoutMs);
  ASSERT_TRUE(main.has_value());
  EXPECT_EQ(main->pid, survivorPid);
  // Every process of this executable belongs to the one that stayed.
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (qint64 pid : ClientProcesses()) {
          QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
          if (!status.open(QIODevice::ReadOnly)) continue;
          if (pid == survivorPid) continue;
          // An engine sub-process of the survivor has it as an ancestor.
          qint64 ancestor = pid;
          bool ours = false;
          while (ancestor > 1 && !ours) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(ancestor));
            if (!stat.open(QIODevice::ReadOnly)) break;
            ancestor = QString::fromUtf8(stat.readAll()).section(')', -1).section(' ', 2, 2).toLongLong();
            ours = ancestor == survivorPid;
          }
          if (!ours) return false;
        }
        return true;
      },
      kTimeoutMs));
}

}  // namespace
}  // namespace tarvex
