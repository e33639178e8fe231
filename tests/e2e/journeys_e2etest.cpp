// The journeys a player takes, with the real NimboClient against the real reference
// portal: what the portal received, which windows exist, and a screenshot of each step.
#include "support/journey.h"
#include "support/launcher_process.h"
#include "support/portal_process.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include <csignal>

namespace tarvex {
namespace {

using namespace tarvex::testing;

constexpr int kTimeoutMs = 60000;

int IndexOf(const PortalProcess& portal, const QString& prefix) {
  const QStringList targets = portal.Targets();
  for (int i = 0; i < targets.size(); ++i)
    if (targets[i].startsWith(prefix)) return i;
  return -1;
}

QJsonObject RequestFor(const PortalProcess& portal, const QString& prefix) {
  for (const QJsonObject& request : portal.Requests())
    if (request.value("request_line").toString().section(' ', 1, 1).startsWith(prefix)) return request;
  return {};
}

// Kills the renderer processes of the launcher `root` with SIGKILL, as the out-of-memory
// killer would, and returns how many. They are the children of its sandboxed zygote (the
// other zygote starts the GPU and utility processes), whose command line they keep.
int KillRenderers(qint64 root) {
  const auto field = [](const QString& pid, const char* file) {
    QFile in("/proc/" + pid + "/" + file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
  };
  const auto parentOf = [&](const QString& pid) {
    const QByteArray stat = field(pid, "stat");
    // pid (name) state ppid ...: the name may hold blanks and parentheses.
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1);
  };
  const QStringList pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  QStringList zygotes;
  for (const QString& pid : pids) {
    const QByteArray command = field(pid, "cmdline");
    if (parentOf(pid) == QByteArray::number(root) && command.contains("--type=zygote") &&
        !command.contains("--no-zygote-sandbox"))
      zygotes << pid;
  }
  int killed = 0;
  for (const QString& pid : pids) {
    if (zygotes.contains(QString::fromLatin1(parentOf(pid))) && ::kill(pid.toInt(), SIGKILL) == 0) ++killed;
  }
  return killed;
}

// Clicks the top-right close button of a strip window (its position before and after the
// layout pass overlaps 14 pixels from the right edge).
void ClickCloseButton(const WindowInfo& window) {
  const QPoint at = window.geometry.topLeft() + QPoint(window.geometry.width() - 14, 15);
  QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

// Runs `program` to its end; its exit code (-1 when it did not end in time) and output.
std::pair<int, QString> RunProgram(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  const bool ended = process.waitForFinished(kTimeoutMs);
  return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAll())};
}

// The launcher's companion command, beside it.
std::pair<int, QString> RunCompanion(const QStringList& arguments) {
  return RunProgram(QFileInfo(TARVEX_CLIENT_EXE).absolutePath() + "/nimbo-game", arguments);
}

QString FileText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A start the Windows test game recorded (start.log): at the Windows path of game `key`,
// in its folder, under `codePageAndWord` ("949|게임"), and the font its language's font name
// resolved to is `font` (its PostScript name), which draws the word.
void ExpectStartedInItsLanguage(const QString& line, const QString& key, const QString& codePageAndWord,
                                const char* font) {
  const QStringList fields = line.split('|');
  EXPECT_EQ(fields.mid(0, 4).join('|').toStdString(),
            (QStringLiteral("C:\\Tarvex\\Box\\games\\%1\\%1.exe|C:\\Tarvex\\Box\\games\\%1|").arg(key) + codePageAndWord)
                .toStdString());
  EXPECT_TRUE(fields.value(4).contains(QLatin1String(font))) << fields.value(4).toStdString();
  EXPECT_EQ(fields.value(5), "drawn");
}

// The windows of the Windows test game, once there are at least `count` (within `timeoutMs`).
QStringList GameWindows(int count, int timeoutMs) {
  QStringList windows;
  WaitUntil(
      [&] {
        windows = RunProgram("xdotool", {"search", "--name", "^Tarvex test game$"}).second.split('\n', Qt::SkipEmptyParts);
        return windows.size() >= count;
      },
      timeoutMs);
  return windows;
}

class JourneyTest : public ::testing::Test {
 protected:
  void SetUp() override { m_desktop.Reset(); }

  PlayerDesktop m_desktop;
};

TEST_F(JourneyTest, TokenLeftOpensTheWebGameInItsOwnWindow) {
  PortalProcess portal;
  ASSERT_TRUE(portal.IsUp());
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});

  ASSERT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/server_inf_data/?key=WEBGAME1"; }, kTimeoutMs));
  SaveScreenshot("1-server-information");
  EXPECT_FALSE(m_desktop.TokenFileExists());

  // The ping goes out before the start page, with an empty game id, as HTTP/1.0.
  const int ping = IndexOf(portal, "/tj/minclient?game_id=&type=3&key=WEBGAME1");
  ASSERT_GE(ping, 0);
  EXPECT_LT(ping, IndexOf(portal, "/mini/server_inf_data/"));
  const QJsonObject pingRequest = RequestFor(portal, "/tj/minclient");
  EXPECT_EQ(pingRequest.value("request_line").toString(), "GET /tj/minclient?game_id=&type=3&key=WEBGAME1 HTTP/1.0");
  EXPECT_EQ(pingRequest.value("headers").toObject().value("User-Agent").toString(), "NimboClient");
  EXPECT_EQ(pingRequest.value("headers").toObject().value("Content-Type").toString(),
            "application/x-www-form-urlencoded;charset=UTF-8");

  // About three seconds later: the portal index and the game address, then the game.
  const auto game = WaitForWindow(kGameTitle, kTimeoutMs);
  ASSERT_TRUE(game.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(game->geometry, QRect(0, 0, 1920, 1080));  // the work area of the virtual screen
  EXPECT_EQ(portal.CountTargets("/outapi/game_get_box_url/?key=WEBGAME1"), 1);
  EXPECT_EQ(RequestFor(portal, "/outapi/").value("request_line").toString(),
            "GET /outapi/game_get_box_url/?key=WEBGAME1 HTTP/1.0");
  EXPECT_LT(IndexOf(portal, "/mini/server_inf_data/"), IndexOf(portal, "/outapi/"));
  // The main browser's move to the index is asynchronous: it may reach the portal after the game opened.
  EXPECT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/mini/index"); }, kTimeoutMs));
  ASSERT_TRUE(portal.WaitForTarget(
      [](const QString& t) { return t == "/mini/play/web/1001/7/%E9%BE%99%E4%B9%8B%E6%80%92/dragonfans?v=2"; },
      kTimeoutMs));
  const auto main = WaitForWindow(kMainTitle, kTimeoutMs);
  ASSERT_TRUE(main.has_value());  // hidden and shown again without activation
  EXPECT_EQ(main->geometry.size(), QSize(1320, 820));
  WaitUntil([] { return false; }, 3000);  // let the game draw its first frames
  SaveScreenshot("2-game-window");

  // Every renderer killed: each window loads its page again, the game window its game.
  const QString gamePage = "/mini/play/web/1001/7/";
  const int games = portal.CountTargets(gamePage), indexes = portal.CountTargets("/mini/index");
  ASSERT_GT(KillRenderers(launcher.Pid()), 0);
  EXPECT_TRUE(WaitUntil([&] { return portal.CountTargets(gamePage) > games; }, kTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return portal.CountTargets("/mini/index") > indexes; }, kTimeoutMs));
  WaitUntil([] { return false; }, 3000);
  SaveScreenshot("3-after-the-renderers-were-killed");
}

TEST_F(JourneyTest, GameClosedAfterConfirmationHandsBackAndTheMainWindowAsksAgain) {
  // Closing a window the way a desktop does it needs a window manager on the display.
  QProcess windowManager;
  windowManager.start("openbox", {"--sm-disable"});
  ASSERT_TRUE(windowManager.waitForStarted(10000));
  const std::shared_ptr<void> stopWindowManager(nullptr, [&](void*) {
    windowManager.terminate();
    windowManager.waitForFinished(5000);
  });

  PortalProcess portal;
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kGameTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  ASSERT_EQ(portal.CountTargets("/outapi/"), 1);

  QProcess::execute("wmctrl", {"-c", kGameTitle});
  ASSERT_TRUE(WaitForWindow(QStringLiteral("따뜻한 힌트"), kTimeoutMs).has_value());
  SaveScreenshot("1-close-question");
  QProcess::execute("bash", {"-c", "id=$(xdotool search --name '따뜻한 힌트' | head -1); "
                                   "xdotool windowactivate --sync $id; xdotool key --clearmodifiers Return"});

  // Yes: the game window is gone, the main window shows and asks for the game again.
  ASSERT_TRUE(WaitUntil([&] { return portal.CountTargets("/outapi/") == 2; }, kTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value());
  SaveScreenshot("2-asked-again");
}

TEST_F(JourneyTest, ServerParameterWithoutTokenSwitchesTheGpuOffAndAsksNothing) {
  PortalProcess portal;
  LauncherProcess launcher(portal.Host(), {"121"});
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/servers/121"; }, kTimeoutMs))
      << launcher.Output().toStdString();
  ASSERT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value());
  SaveScreenshot("servers-121");

  // Every engine sub-process inherits the switches the launcher handed to the engine.
  QProcess children;
  children.start("pgrep", {"-P", QString::number(launcher.Pid())});
  children.waitForFinished();
  // The launcher's children also include the programs it starts itself (wine's, say).
  QString child;
  for (const QString& pid : QString::fromUtf8(children.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid.trimmed()));
    if (commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains("--type=")) {
      child = pid.trimmed();
      break;
    }
  }
  ASSERT_FALSE(child.isEmpty());
  QFile environ(QStringLiteral("/proc/%1/environ").arg(child));
  ASSERT_TRUE(environ.open(QIODevice::ReadOnly));
  const QByteArray environment = environ.readAll();
  EXPECT_TRUE(environment.contains("--disable-gpu=1 --disable-gpu-compositing=1")) << environment.toStdString();

  // No token: no ping, no timer, no game-address request.
  WaitUntil([&] { return portal.CountTargets("/outapi/") > 0; }, 5000);
  EXPECT_EQ(portal.CountTargets("/outapi/"), 0);
  EXPECT_EQ(portal.CountTargets("/tj/"), 0);
}

TEST_F(JourneyTest, PayLinkAsParameterOpensThePortalPayPage) {
  PortalProcess portal;
  LauncherProcess launcher(portal.Host(), {"zpay://order=5/x"});
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/pay_app/?order=5"; }, kTimeoutMs))
      << launcher.Output().toStdString();
  ASSERT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value());
  WaitUntil([] { return false; }, 2000);
  SaveScreenshot("pay-page");
}

TEST_F(JourneyTest, LoginLinkOpensThePayWindowWhichReturnsThroughTheIndexAddress) {
  // The start page clicks "sign in"; the sign-in page, opened in the pay window, cancels.
  PortalProcess portal({"--click", "/mini/index/=login-link", "--click", "/mini/login=login-cancel"});
  LauncherProcess launcher(portal.Host(), {});
  const auto pay = WaitForWindow(kPayTitle, kTimeoutMs);
  ASSERT_TRUE(pay.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(pay->geometry, QRect(0, 0, 420, 560));
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t == "/mini/login?status=2&v=2"; }, kTimeoutMs));
  SaveScreenshot("1-login-in-pay-window");

  // "/index/" closes the pay window; the main window asks for the game half a second later.
  ASSERT_TRUE(WaitUntil([] { return !HasWindow(kPayTitle); }, kTimeoutMs));
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/outapi/game_get_box_url/?key="); }, kTimeoutMs));
  EXPECT_EQ(portal.CountTargets("/mini/index/?login=cancel"), 0);  // the pay browser never loaded it
  EXPECT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value());
  SaveScreenshot("2-back-to-main");
}

TEST_F(JourneyTest, PlayLinkOpensAGameWhosePaymentPopUpOpensThePayWindow) {
  PortalProcess portal({"--click", "/mini/index/=game-1001", "--click", "/mini/play/web/=recharge-button"});
  LauncherProcess launcher(portal.Host(), {});
  const auto game = WaitForWindow(kGameTitle, kTimeoutMs);
  ASSERT_TRUE(game.has_value()) << launcher.Output().toStdString();
  const auto pay = WaitForWindow(kPayTitle, kTimeoutMs);
  ASSERT_TRUE(pay.has_value());
  EXPECT_EQ(pay->geometry.size(), QSize(800, 612));
  ASSERT_TRUE(portal.WaitForTarget(
      [](const QString& t) { return t.startsWith("/payment/app_pay?") && t.endsWith("&status=2&v=2"); }, kTimeoutMs));
  WaitUntil([] { return false; }, 2000);
  SaveScreenshot("game-and-pay-window");

  // The game window opened by a play link shows its close button at once; it hands back.
  ClickCloseButton(*game);
  ASSERT_TRUE(WaitUntil([] { return !HasWindow(kGameTitle); }, kTimeoutMs));
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/outapi/"); }, kTimeoutMs));
}

TEST_F(JourneyTest, MarkedLinksGoToTheUsersOwnBrowser) {
  PortalProcess portal({"--click", "/mini/index/=support-link"});
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(WaitUntil([&] { return !m_desktop.OpenedInBrowser().isEmpty(); }, kTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_TRUE(m_desktop.OpenedInBrowser().constFirst().contains("kobutarget=_blank"));
  EXPECT_EQ(portal.CountTargets("/service/online"), 0);  // the launcher's browser kept its page
}

// The first answer breaks off after 2000 bytes: the retry asks for the rest only, and the
// whole installer matches the checksum the portal publishes.
TEST_F(JourneyTest, ClientGameIsDownloadedInstalledStartedAndGetsItsShortcut) {
  PortalProcess portal({"--fault", "/games/=cut:2000", "--sha256", "hero=right"});
  m_desktop.LeaveToken("CLIENTG1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kLoadTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  SaveScreenshot("1-download-window");
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/games/hero/download-hero.exe?t="); }, kTimeoutMs));

  const QString arguments = m_desktop.GamesFolder() + "/hero/args.log";
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(arguments); }, kTimeoutMs)) << launcher.Output().toStdString();
  const QString shortcut = m_desktop.DesktopFolder() + QStringLiteral("/히어로.desktop");
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(shortcut); }, kTimeoutMs));
  QFile entry(shortcut);
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(entry.readAll());
  // The shortcut starts the installed client, whatever copy runs now, with field 4.
  EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"%1\" \"srv7\"").arg(TARVEX_INSTALLED_CLIENT))) << text.toStdString();
  // The installer's hero.ico, as a PNG in the icon theme.
  EXPECT_TRUE(text.contains("\nIcon=tarvex-hero\n")) << text.toStdString();
  EXPECT_FALSE(text.contains("MimeType"));
  EXPECT_TRUE(QFileInfo(shortcut).isExecutable());
  ASSERT_TRUE(WaitUntil([] { return !HasWindow(kLoadTitle); }, kTimeoutMs));

  // Handed back: the main window asks again, finds the game installed and starts it once,
  // without a second download.
  ASSERT_TRUE(WaitUntil([&] { return portal.CountTargets("/outapi/") >= 2; }, kTimeoutMs));
  // Long enough for a second start (the stand-in game logs at once) to have shown.
  WaitUntil([] { return false; }, 3000);
  QFile log(arguments);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts), QStringList({"PARAMS123"}));
  // The game gets the engine switches the launcher was started with, not its own.
  QFile switches(m_desktop.GamesFolder() + "/hero/engine-switches.log");
  ASSERT_TRUE(switches.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromLocal8Bit(switches.readAll().trimmed()), qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS"));
  QStringList ranges;
  for (const QJsonObject& request : portal.Requests()) {
    if (request.value("path").toString() == "/games/hero/download-hero.exe")
      ranges << request.value("headers").toObject().value("Range").toString();
  }
  EXPECT_EQ(ranges, QStringList({"", "bytes=2000-"}));
  // The checksum file's first answer is cut short as well: it is asked for once more,
  // beside the installer's second attempt, without spending one of its own.
  EXPECT_EQ(portal.CountTargets("/games/hero/download-hero.exe.sha256"), 2);
  // The installer is gone once it has run.
  EXPECT_TRUE(QDir(qEnvironmentVariable("XDG_CACHE_HOME") + "/Tarvex/tmp").isEmpty());
}

// A host that refuses the checksum file (object stores answer 403 for a missing one):
// asked for once, and the installer still comes and the game starts once.
TEST_F(JourneyTest, RefusedChecksumFileStillInstallsAndStartsTheGameOnce) {
  PortalProcess portal({"--fault", "/games/hero/download-hero.exe.sha256=403"});
  m_desktop.LeaveToken("CLIENTG1");
  LauncherProcess launcher(portal.Host(), {});
  const QString arguments = m_desktop.GamesFolder() + "/hero/args.log";
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(arguments); }, kTimeoutMs)) << launcher.Output().toStdString();
  // Long enough for a second start to have shown.
  WaitUntil([] { return false; }, 3000);
  QFile log(arguments);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts), QStringList({"PARAMS123"}));
  EXPECT_EQ(portal.CountTargets("/games/hero/download-hero.exe.sha256"), 1);
  EXPECT_EQ(portal.CountTargets("/games/hero/download-hero.exe?"), 1);
}

// A real Windows installer and game, as the portal's client games are, run by Debian's
// wine in the launcher's own prefix: the installer unpacks into C:\Tarvex\Box\games\hero\,
// which is the launcher's games folder, and the game starts at that Windows path.
TEST_F(JourneyTest, WindowsClientGameInstallsUnderWineAndStartsAtItsWindowsPath) {
  if (QStringLiteral(TARVEX_WINDOWS_PROGRAMS).isEmpty() || QStandardPaths::findExecutable("wine").isEmpty())
    GTEST_SKIP() << "needs wine and the mingw-w64 cross compiler";
  // The prefix is made on the first Windows program: a minute on a slow machine.
  constexpr int kWineTimeoutMs = 240000;
  PortalProcess portal({"--windows-programs", TARVEX_WINDOWS_PROGRAMS, "--windows", "hero", "--sha256", "hero=right"});
  m_desktop.LeaveToken("CLIENTG1");
  // The user's locale is English; the game is Korean. It stays up, its window open, until
  // it is stopped.
  QProcessEnvironment environment;
  environment.insert("LC_ALL", "C.UTF-8");
  environment.insert("LANG", "en_US.UTF-8");
  environment.insert("TARVEX_GAME_SECONDS", "600");
  LauncherProcess launcher(portal.Host(), {}, environment);
  const std::shared_ptr<void> stopGames(nullptr, [](void*) {
    for (const char* key : {"hero", "other"}) RunCompanion({"--yes", "stop", key});
  });
  const QString started = m_desktop.GamesFolder() + "/hero/start.log";
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(started); }, kWineTimeoutMs)) << launcher.Output().toStdString();
  const QString shortcut = m_desktop.DesktopFolder() + QStringLiteral("/히어로.desktop");
  EXPECT_TRUE(QFile::exists(shortcut));
  // Long enough for a second start to have shown.
  WaitUntil([] { return false; }, 3000);
  QFile start(started);
  ASSERT_TRUE(start.open(QIODevice::ReadOnly));
  // It ran under its own code page, Korean (949), a Korean word came through it whole, and
  // the font it names, 굴림, is the Korean face of Noto (by its PostScript name), which
  // draws the word. It was started once.
  const QStringList starts = QString::fromUtf8(start.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(starts.size(), 1);
  ExpectStartedInItsLanguage(starts[0], "hero", QStringLiteral("949|게임"), "NotoSansCJKkr-Regular");
  QFile arguments(m_desktop.GamesFolder() + "/hero/args.log");
  ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(arguments.readAll()).split('\n', Qt::SkipEmptyParts), QStringList({"PARAMS123"}));
  EXPECT_TRUE(QFile::exists(m_desktop.GamesFolder() + "/hero/hero.ico"));
  EXPECT_EQ(portal.CountTargets("/games/hero/download-hero.exe?"), 1);
  // Wine's output went to the game's log; the user's own wine and menus were not touched.
  EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_CACHE_HOME") + "/Tarvex/logs/hero.log"));
  EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_DATA_HOME") + "/Tarvex/wine/system.reg"));
  EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_DATA_HOME") + "/Tarvex/wine/.tarvex-prepared"));
  EXPECT_FALSE(QFileInfo::exists(qEnvironmentVariable("HOME") + "/.wine"));
  for (const QString& menus : {qEnvironmentVariable("XDG_DATA_HOME") + "/applications",
                               qEnvironmentVariable("HOME") + "/.local/share/applications"})
    EXPECT_TRUE(QDir(menus).entryList({"wine*"}, QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty()) << menus.toStdString();
  EXPECT_TRUE(QDir(qEnvironmentVariable("XDG_CACHE_HOME") + "/Tarvex/tmp").isEmpty());

  // On the desktop: the shortcut and the menu entry are valid entries naming the PNG icon
  // the .ico became, at its largest size, and the menu entry's class is the one the game's
  // real window has.
  const QString data = qEnvironmentVariable("XDG_DATA_HOME");
  const QString menuEntry = data + "/applications/tarvex-hero.desktop";
  for (const QString& entry : {shortcut, menuEntry}) {
    const auto [validated, complaints] = RunProgram("desktop-file-validate", {entry});
    EXPECT_EQ(validated, 0) << entry.toStdString() << complaints.toStdString();
    EXPECT_TRUE(FileText(entry).contains("\nIcon=tarvex-hero\n")) << entry.toStdString();
  }
  QImageReader icon(m_desktop.GamesFolder() + "/hero/hero.ico");
  int largest = 0;
  for (int i = 0; i < icon.imageCount() && icon.jumpToImage(i); ++i) largest = std::max(largest, icon.read().width());
  ASSERT_GT(largest, 0);
  EXPECT_EQ(QImage(data + QStringLiteral("/icons/hicolor/%1x%1/apps/tarvex-hero.png").arg(largest)).size(),
            QSize(largest, largest));
  const QStringList gameWindows = GameWindows(1, kWineTimeoutMs);
  ASSERT_EQ(gameWindows.size(), 1);
  const QString windowClass = RunProgram("xprop", {"-id", gameWindows[0], "WM_CLASS"}).second.section('"', 3, 3);
  EXPECT_FALSE(windowClass.isEmpty());
  EXPECT_TRUE(FileText(menuEntry).contains("\nStartupWMClass=" + windowClass + "\n")) << windowClass.toStdString();
  // The game runs under the companion, which keeps the screen saver off until it ends.
  const QString gamePid = RunProgram("xprop", {"-id", gameWindows[0], "_NET_WM_PID"}).second.section(" = ", 1).trimmed();
  const QByteArray gameStat = FileText("/proc/" + gamePid + "/stat").toUtf8();
  const QString parent = QString::fromLatin1(gameStat.mid(gameStat.lastIndexOf(')') + 2).split(' ').value(1));
  EXPECT_EQ(QFileInfo("/proc/" + parent + "/exe").symLinkTarget(), QFileInfo(TARVEX_CLIENT_EXE).absolutePath() + "/nimbo-game")
      << gamePid.toStdString();

  // Stop, from the entry, while another game runs in the same prefix: that one runs on.
  const QString otherFolder = m_desktop.GamesFolder() + "/other";
  ASSERT_TRUE(QDir().mkpath(otherFolder));
  ASSERT_TRUE(QFile::copy(m_desktop.GamesFolder() + "/hero/hero.exe", otherFolder + "/other.exe"));
  QProcess other;
  QProcessEnvironment otherEnvironment = QProcessEnvironment::systemEnvironment();
  otherEnvironment.insert("WINEPREFIX", data + "/Tarvex/wine");
  otherEnvironment.insert("WINEDEBUG", "-all");
  otherEnvironment.insert("TARVEX_GAME_SECONDS", "600");
  other.setProcessEnvironment(otherEnvironment);
  other.setWorkingDirectory(otherFolder);
  other.start("wine", {"C:\\Tarvex\\Box\\games\\other\\other.exe"});
  ASSERT_EQ(GameWindows(2, kWineTimeoutMs).size(), 2);
  EXPECT_EQ(RunCompanion({"--yes", "stop", "hero"}).first, 0);
  EXPECT_TRUE(WaitUntil([&] { return GameWindows(1, 1000).size() == 1; }, kTimeoutMs));
  EXPECT_EQ(other.state(), QProcess::Running);

  // Uninstall, with a file the user put beside the game's folder and a link in it that
  // points out of it: both stay, as does the other game.
  const QString beside = m_desktop.GamesFolder() + "/notes.txt";
  const QString outside = qEnvironmentVariable("HOME") + "/saves-elsewhere";
  for (const QString& file : {beside, outside + "/slot1.sav"}) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    QFile put(file);
    ASSERT_TRUE(put.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QFile::link(outside, m_desktop.GamesFolder() + "/hero/saves"));
  const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
  const auto [uninstalled, said] = RunCompanion({"--yes", "uninstall", "hero"});
  EXPECT_EQ(uninstalled, 0) << said.toStdString();
  for (const QString& gone : {m_desktop.GamesFolder() + "/hero", shortcut, menuEntry,
                              data + QStringLiteral("/icons/hicolor/%1x%1/apps/tarvex-hero.png").arg(largest),
                              cache + "/Tarvex/logs/hero.log", cache + "/Tarvex/locks/hero.lock"})
    EXPECT_FALSE(QFileInfo::exists(gone)) << gone.toStdString();
  for (const QString& kept : {beside, outside + "/slot1.sav", otherFolder + "/other.exe", data + "/Tarvex/wine/system.reg"})
    EXPECT_TRUE(QFileInfo::exists(kept)) << kept.toStdString();
  EXPECT_EQ(other.state(), QProcess::Running);
  const auto [again, saidAgain] = RunCompanion({"--yes", "uninstall", "hero"});
  EXPECT_EQ(again, 2);
  EXPECT_TRUE(saidAgain.contains(QStringLiteral("설치되어 있지 않습니다"))) << saidAgain.toStdString();
  other.kill();
  other.waitForFinished(kTimeoutMs);
}

// An installed game started from its shortcut after wine changed (its prefix is stale, or
// was never made): the prefix is prepared first, a window of the launcher's saying so and
// none of wine's showing, and then the game starts, under its own code page.
TEST_F(JourneyTest, AGameStartedBeforeItsPrefixIsReadySaysSoThenStarts) {
  if (QStringLiteral(TARVEX_WINDOWS_PROGRAMS).isEmpty() || QStandardPaths::findExecutable("wine").isEmpty())
    GTEST_SKIP() << "needs wine and the mingw-w64 cross compiler";
  constexpr int kWineTimeoutMs = 240000;
  const QString folder = m_desktop.GamesFolder() + "/hero";
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QFile::copy(QStringLiteral(TARVEX_WINDOWS_PROGRAMS "/game-ko.exe"), folder + "/hero.exe"));
  // The mark names a setup file of another wine.
  QFile mark(qEnvironmentVariable("XDG_DATA_HOME") + "/Tarvex/wine/.tarvex-prepared");
  if (mark.exists()) {
    ASSERT_TRUE(mark.open(QIODevice::WriteOnly));
    mark.write("1\n");
    mark.close();
  }
  QProcess game;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("LC_ALL", "C.UTF-8");
  game.setProcessEnvironment(environment);
  game.setProcessChannelMode(QProcess::ForwardedChannels);
  game.start(QFileInfo(TARVEX_CLIENT_EXE).absolutePath() + "/nimbo-game", {"run", folder + "/hero.exe", "PARAMS123"});
  ASSERT_TRUE(WaitForWindow("TarvexPREPARE", kTimeoutMs).has_value());
  SaveScreenshot("companion-preparing-prefix");
  const QString started = folder + "/start.log";
  QStringList titles;
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const WindowInfo& window : ListWindows())
          if (!titles.contains(window.title)) titles << window.title;
        return QFile::exists(started);
      },
      kWineTimeoutMs));
  for (const QString& title : titles) EXPECT_FALSE(title.contains("wine", Qt::CaseInsensitive)) << title.toStdString();
  EXPECT_FALSE(HasWindow("TarvexPREPARE"));
  EXPECT_TRUE(FileText(started).contains(QStringLiteral("|949|게임|"))) << FileText(started).toStdString();
  EXPECT_EQ(FileText(folder + "/args.log"), "PARAMS123\n");
  ASSERT_TRUE(game.waitForFinished(kTimeoutMs));
  EXPECT_EQ(game.exitCode(), 0);
  EXPECT_TRUE(QFile::exists(mark.fileName()));
}

// The portal's other games are Chinese and Japanese ones, each a real NSIS installer: each
// game runs under its own code page, keeps a word of its language through it, and the font
// it names by its native name is the Noto face of its language and kind, not the one
// wine's own fallback would pick (the Sans face for every name).
TEST_F(JourneyTest, ChineseAndJapaneseGamesRunInTheirOwnLanguage) {
  if (QStringLiteral(TARVEX_WINDOWS_PROGRAMS).isEmpty() || QStandardPaths::findExecutable("wine").isEmpty())
    GTEST_SKIP() << "needs wine and the mingw-w64 cross compiler";
  constexpr int kWineTimeoutMs = 240000;
  struct Row {
    const char* key;
    const char* language;
    const char* token;
    QString started;  // code page and word
    const char* font;  // the PostScript name of the font the game's font name resolves to
  };
  const Row rows[] = {
      {"tw", "zh-TW", "CLIENTTW", QStringLiteral("950|遊戲"), "NotoSerifCJKtc-Regular"},
      {"cn", "zh-CN", "CLIENTCN", QStringLiteral("936|游戏"), "NotoSerifCJKsc-Regular"},
      {"jp", "ja", "CLIENTJP", QStringLiteral("932|ゲーム"), "NotoSansMonoCJKjp-Regular"},
  };
  QTemporaryDir folder;
  QFile tokens(folder.filePath("tokens"));
  ASSERT_TRUE(tokens.open(QIODevice::WriteOnly));
  QStringList arguments{"--windows-programs", TARVEX_WINDOWS_PROGRAMS, "--tokens", tokens.fileName()};
  for (const Row& row : rows) {
    tokens.write(QByteArray(row.token) + " 2 /game_play/srv7/" + row.key + "/" + row.key + "/PARAMS123\n");
    arguments << "--windows" << QString::fromLatin1(row.key) + "=" + row.language;
  }
  tokens.close();
  PortalProcess portal(arguments);
  ASSERT_TRUE(portal.IsUp());
  QProcessEnvironment environment;
  environment.insert("LC_ALL", "C.UTF-8");
  environment.insert("LANG", "en_US.UTF-8");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    m_desktop.LeaveToken(row.token);
    LauncherProcess launcher(portal.Host(), {}, environment);
    const QString key = QString::fromLatin1(row.key);
    const QString started = m_desktop.GamesFolder() + "/" + key + "/start.log";
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(started); }, kWineTimeoutMs)) << launcher.Output().toStdString();
    ExpectStartedInItsLanguage(FileText(started).trimmed(), key, row.started, row.font);
  }
}

TEST_F(JourneyTest, FailedDownloadLeavesTheWindowOpenAndStartsNothing) {
  PortalProcess portal({"--fault", "/games/=reset:100"});
  m_desktop.LeaveToken("CLIENTG1");
  LauncherProcess launcher(portal.Host(), {});
  ASSERT_TRUE(portal.WaitForTarget([](const QString& t) { return t.startsWith("/games/hero/"); }, kTimeoutMs))
      << launcher.Output().toStdString();
  // A first attempt and five more, 1, 2, 4, 8 and 16 seconds apart, then the window stays
  // as it stopped. The checksum file's page is cut too: no checksum, asked for once.
  const QString installer = QStringLiteral("/games/hero/download-hero.exe?");
  // Counted once the download's worker has ended: no attempt can follow.
  EXPECT_TRUE(WaitUntil([&] { return launcher.Output().contains("----------installer job ended----------hero Unreachable"); },
                        kTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_EQ(portal.CountTargets(installer), 6);
  EXPECT_EQ(portal.CountTargets("/games/hero/download-hero.exe.sha256"), 1);
  EXPECT_TRUE(WaitForWindow(kLoadTitle, 1000).has_value());
  EXPECT_FALSE(QFile::exists(m_desktop.GamesFolder() + "/hero/hero.exe"));
  EXPECT_EQ(portal.CountTargets("/outapi/"), 1);
  // What came is kept for the next try to resume.
  EXPECT_EQ(QFileInfo(qEnvironmentVariable("XDG_CACHE_HOME") + "/Tarvex/tmp/hero-7z.exe.part").size(), 600);
}

TEST_F(JourneyTest, NewerInstanceReplacesTheRunningOneMidJourney) {
  PortalProcess portal;
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess first(portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kGameTitle, kTimeoutMs).has_value()) << first.Output().toStdString();

  LauncherProcess second(portal.Host(), {"121"});
  EXPECT_EQ(first.WaitForExit(30000), 0);
  // The game window and its page went before the profile.
  EXPECT_FALSE(first.Output().contains("still not deleted")) << first.Output().toStdString();
  ASSERT_TRUE(WaitUntil([] { return !HasWindow(kGameTitle); }, kTimeoutMs));
  const auto main = WaitForWindow(kMainTitle, kTimeoutMs);
  ASSERT_TRUE(main.has_value());
  EXPECT_EQ(main->pid, second.Pid());
  SaveScreenshot("second-instance");
}

TEST_F(JourneyTest, PortalDownAtStartStillShowsTheWindowAndOpensNoGame) {
  PortalProcess portal;
  const QString host = portal.Host();
  portal.Stop();
  m_desktop.LeaveToken("WEBGAME1");
  LauncherProcess launcher(host, {});
  ASSERT_TRUE(WaitForWindow(kMainTitle, kTimeoutMs).has_value()) << launcher.Output().toStdString();
  EXPECT_FALSE(m_desktop.TokenFileExists());
  WaitUntil([] { return false; }, 6000);  // past timer 1 and the failed request
  EXPECT_TRUE(!HasWindow(kGameTitle));
  EXPECT_TRUE(launcher.IsRunning());
  SaveScreenshot("portal-down");
}

}  // namespace
}  // namespace tarvex
