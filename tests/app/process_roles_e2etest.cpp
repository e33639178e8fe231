// The executable's process roles: a sub-process launch runs the engine and ends, a plain
// start shows the main window, and a newer instance replaces the running one.
#include "support/journey.h"
#include "support/launcher_process.h"
#include "support/portal_process.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace tarvex {
namespace {

using namespace tarvex::testing;

constexpr int kWindowTimeoutMs = 60000;

QList<qint64> Descendants(qint64 pid) {
  QList<qint64> found;
  for (const QFileInfo& task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile children(task.filePath() + "/children");
    if (!children.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& child : children.readAll().split(' ')) {
      if (child.trimmed().isEmpty()) continue;
      found.append(child.trimmed().toLongLong());
      found.append(Descendants(child.trimmed().toLongLong()));
    }
  }
  return found;
}

// Whether the process has a file whose name contains `name` mapped.
bool MapsLibrary(qint64 pid, const QByteArray& name) {
  QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

QByteArray CommandLine(qint64 pid) {
  QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Namespace(qint64 pid, const char* kind) {
  return QFileInfo(QStringLiteral("/proc/%1/ns/%2").arg(pid).arg(QLatin1String(kind))).symLinkTarget();
}

// An unprivileged account to run the launcher with, made when missing.
std::optional<passwd> PlayerAccount() {
  constexpr char kName[] = "tarvex-player";
  if (getpwnam(kName) == nullptr &&
      QProcess::execute("useradd", {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", kName}) != 0)
    return std::nullopt;
  const passwd* account = getpwnam(kName);
  return account ? std::optional<passwd>(*account) : std::nullopt;
}

QList<WindowInfo> MainWindows() {
  QList<WindowInfo> found;
  for (const WindowInfo& window : ListWindows())
    if (window.title == kMainTitle) found.append(window);
  return found;
}

class ProcessRolesTest : public ::testing::Test {
 protected:
  PortalProcess m_portal;
};

TEST_F(ProcessRolesTest, PlainStartShowsTheMainWindowServedOnlyByThisExecutable) {
  ASSERT_TRUE(m_portal.IsUp());
  LauncherProcess launcher(m_portal.Host(), {});
  const auto window = WaitForWindow(kMainTitle, kWindowTimeoutMs);
  ASSERT_TRUE(window.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(window->geometry.size(), QSize(1320, 820));
  EXPECT_EQ(window->pid, launcher.Pid());
  ASSERT_TRUE(m_portal.WaitForTarget([](const QString& t) { return t == "/mini/index/"; }, kWindowTimeoutMs));
  SaveScreenshot("main-window");

  const QString self = QFileInfo(QStringLiteral(TARVEX_CLIENT_EXE)).canonicalFilePath();
  const QList<qint64> children = Descendants(launcher.Pid());
  EXPECT_FALSE(children.isEmpty());
  for (qint64 child : children) {
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(child)).canonicalFilePath();
    if (!exe.isEmpty()) {
      EXPECT_EQ(exe, self) << "sub-process " << child;
    }
  }

  // Only the launcher process loads the launcher's code and what it needs beyond the
  // engine; libcurl waits for the first request, which a start without a token never makes.
  EXPECT_TRUE(MapsLibrary(launcher.Pid(), "libnimbo_launcher.so"));
  EXPECT_FALSE(MapsLibrary(launcher.Pid(), "libcurl"));
  for (qint64 child : children) {
    for (const QByteArray library : {"libnimbo_launcher.so", "libcurl", "libQt6Widgets"})
      EXPECT_FALSE(MapsLibrary(child, library)) << "sub-process " << child << " maps " << library.constData();
  }
}

TEST_F(ProcessRolesTest, ForAnUnprivilegedUserTheRenderersRunSandboxed) {
  if (geteuid() != 0) GTEST_SKIP() << "makes and switches to another account, which needs root";
  const std::optional<passwd> account = PlayerAccount();
  ASSERT_TRUE(account.has_value()) << "cannot make an unprivileged account";
  const QStringList asPlayer{"setpriv",
                             QStringLiteral("--reuid=%1").arg(account->pw_uid),
                             QStringLiteral("--regid=%1").arg(account->pw_gid),
                             "--clear-groups",
                             "env",
                             "-u",
                             "QTWEBENGINE_DISABLE_SANDBOX"};
  if (QProcess::execute(asPlayer.constFirst(), asPlayer.mid(1) + QStringList{"test", "-x", TARVEX_CLIENT_EXE}) != 0)
    GTEST_SKIP() << "the build folder is out of an unprivileged user's reach";

  // A home of the player's own, with a copy of the display's key.
  QTemporaryDir home;
  QProcessEnvironment environment;
  for (const char* folder : {"home", "data", "cache", "config", "runtime"}) {
    QDir().mkpath(home.filePath(folder));
    environment.insert(QString::fromLatin1(folder), home.filePath(folder));
  }
  const QString key = home.filePath("Xauthority");
  if (!qEnvironmentVariableIsEmpty("XAUTHORITY")) QFile::copy(qEnvironmentVariable("XAUTHORITY"), key);
  QProcess::execute("chown", {"-R", QStringLiteral("%1:%2").arg(account->pw_uid).arg(account->pw_gid), home.path()});
  QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcessEnvironment extra;
  extra.insert("HOME", environment.value("home"));
  extra.insert("XDG_DATA_HOME", environment.value("data"));
  extra.insert("XDG_CACHE_HOME", environment.value("cache"));
  extra.insert("XDG_CONFIG_HOME", environment.value("config"));
  extra.insert("XDG_RUNTIME_DIR", environment.value("runtime"));
  extra.insert("XAUTHORITY", key);

  LauncherProcess launcher(m_portal.Host(), {}, extra, asPlayer);
  const auto window = WaitForWindow(kMainTitle, kWindowTimeoutMs);
  ASSERT_TRUE(window.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(window->pid, launcher.Pid());
  ASSERT_TRUE(m_portal.WaitForTarget([](const QString& t) { return t == "/mini/index/"; }, kWindowTimeoutMs));
  // Renderers are forked by the sandboxed zygote (Chromium keeps the zygote's command line
  // for them); the zygote without a sandbox serves the GPU and utility processes.
  QList<qint64> sandboxed;
  ASSERT_TRUE(WaitUntil(
      [&] {
        sandboxed.clear();
        for (qint64 child : Descendants(launcher.Pid())) {
          const QByteArray command = CommandLine(child);
          if (command.contains("--type=zygote") && !command.contains("--no-zygote-sandbox"))
            sandboxed.append(child);
        }
        return sandboxed.size() >= 3;  // the zygote, its namespace's first process and a renderer
      },
      kWindowTimeoutMs))
      << launcher.Output().toStdString();
  SaveScreenshot("sandboxed-main-window");

  for (qint64 child : Descendants(launcher.Pid()))
    EXPECT_FALSE(CommandLine(child).contains("--no-sandbox")) << "sub-process " << child;
  for (qint64 process : sandboxed) {
    EXPECT_NE(Namespace(process, "user"), Namespace(launcher.Pid(), "user")) << "sandboxed process " << process;
    EXPECT_NE(Namespace(process, "pid"), Namespace(launcher.Pid(), "pid")) << "sandboxed process " << process;
  }
}

TEST_F(ProcessRolesTest, DesktopScaleFactorsLeaveTheMainWindowInDevicePixels) {
  // As a desktop sets them for every program it starts.
  QProcessEnvironment desktop;
  desktop.insert("QT_SCALE_FACTOR", "1.5");
  desktop.insert("QT_SCREEN_SCALE_FACTORS", "2");
  desktop.insert("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
  LauncherProcess launcher(m_portal.Host(), {}, desktop);
  const auto window = WaitForWindow(kMainTitle, kWindowTimeoutMs);
  ASSERT_TRUE(window.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(window->geometry.size(), QSize(1320, 820));
}

TEST_F(ProcessRolesTest, SubProcessLaunchEndsWithoutAWindowAndLeavesTheRunningInstance) {
  LauncherProcess running(m_portal.Host(), {});
  ASSERT_TRUE(WaitUntil([&] { return MainWindows().size() == 1 && MainWindows().constFirst().pid == running.Pid(); },
                        kWindowTimeoutMs));

  LauncherProcess subProcess(m_portal.Host(), {"--type=not-a-role"});
  subProcess.WaitForExit(20000);  // ends, with whatever code the engine gives
  EXPECT_FALSE(subProcess.IsRunning());
  EXPECT_TRUE(running.IsRunning());
  const QList<WindowInfo> windows = MainWindows();
  ASSERT_EQ(windows.size(), 1) << running.Output().toStdString();
  EXPECT_EQ(windows.constFirst().pid, running.Pid());
}

TEST_F(ProcessRolesTest, SecondInstanceEndsTheFirstAndShowsItsOwnWindow) {
  LauncherProcess first(m_portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kMainTitle, kWindowTimeoutMs).has_value());

  LauncherProcess second(m_portal.Host(), {});
  EXPECT_EQ(first.WaitForExit(30000), 0) << first.Output().toStdString();
  ASSERT_TRUE(WaitUntil(
      [&] {
        const QList<WindowInfo> windows = MainWindows();
        return windows.size() == 1 && windows.constFirst().pid == second.Pid();
      },
      kWindowTimeoutMs));
  EXPECT_TRUE(second.IsRunning());
  // A third instance finds the second under the name it took over.
  LauncherProcess third(m_portal.Host(), {});
  EXPECT_EQ(second.WaitForExit(30000), 0);
  EXPECT_TRUE(WaitUntil([&] { return MainWindows().size() == 1 && MainWindows().constFirst().pid == third.Pid(); },
                        kWindowTimeoutMs));
}

// Two starts that cannot reach each other through the socket (another session's runtime
// folder, one too long for a socket name) still never share the profile: the newer one
// ends the older before it opens it.
TEST_F(ProcessRolesTest, AStartThatCannotFindTheRunningInstanceStillEndsItFirst) {
  QTemporaryDir folder;
  const QString otherSession = folder.filePath("session");
  const QString tooLong = folder.filePath(QString(120, QLatin1Char('r')));
  for (const QString& runtime : {otherSession, tooLong}) {
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  struct Row {
    const char* where;
    QString olderRuntime;  // empty: the test's own
    QString newerRuntime;
  };
  for (const Row& row : {Row{"newer in another session", {}, otherSession},
                         Row{"older without a socket name", tooLong, {}}}) {
    SCOPED_TRACE(row.where);
    const auto runtimeFolder = [](const QString& path) {
      QProcessEnvironment environment;
      if (!path.isEmpty()) environment.insert("XDG_RUNTIME_DIR", path);
      return environment;
    };
    LauncherProcess older(m_portal.Host(), {}, runtimeFolder(row.olderRuntime));
    ASSERT_TRUE(WaitUntil([&] { return MainWindows().size() == 1; }, kWindowTimeoutMs)) << older.Output().toStdString();

    LauncherProcess newer(m_portal.Host(), {}, runtimeFolder(row.newerRuntime));
    older.WaitForExit(40000);
    EXPECT_FALSE(older.IsRunning()) << newer.Output().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return MainWindows().size() == 1 && MainWindows().constFirst().pid == newer.Pid(); },
                          kWindowTimeoutMs))
        << newer.Output().toStdString();
  }
}

TEST_F(ProcessRolesTest, AnInstanceThatCannotEndIsEndedBeforeTheNewerOneOpensTheProfile) {
  LauncherProcess stuck(m_portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kMainTitle, kWindowTimeoutMs).has_value());
  ::kill(static_cast<pid_t>(stuck.Pid()), SIGSTOP);  // reads no message, ends by itself never

  LauncherProcess newer(m_portal.Host(), {});
  // While the older one lives, the newer one waits: no window, so no profile either, up to
  // the end of the older one's grace period.
  ASSERT_TRUE(WaitUntil([&] { return newer.Output().contains("older instance overstays"); }, kWindowTimeoutMs))
      << newer.Output().toStdString();
  for (const WindowInfo& window : MainWindows()) EXPECT_NE(window.pid, newer.Pid());
  EXPECT_TRUE(stuck.IsRunning());
  // Past its grace period the older one is ended, and the newer one comes up.
  stuck.WaitForExit(30000);
  EXPECT_FALSE(stuck.IsRunning());
  ASSERT_TRUE(WaitUntil([&] { return MainWindows().size() == 1 && MainWindows().constFirst().pid == newer.Pid(); },
                        kWindowTimeoutMs))
      << newer.Output().toStdString();
  // The name went to the newer one: a third start replaces it.
  LauncherProcess third(m_portal.Host(), {});
  EXPECT_EQ(newer.WaitForExit(30000), 0) << newer.Output().toStdString();
  EXPECT_TRUE(WaitUntil([&] { return MainWindows().size() == 1 && MainWindows().constFirst().pid == third.Pid(); },
                        kWindowTimeoutMs));
}

// In a burst of starts, the token left for the last one is used by the instance that stays,
// though the start before it, about to be replaced, read the token file first.
TEST_F(ProcessRolesTest, InABurstOfStartsTheInstanceThatStaysUsesTheToken) {
  PlayerDesktop desktop;
  LauncherProcess stuck(m_portal.Host(), {});
  ASSERT_TRUE(WaitForWindow(kMainTitle, kWindowTimeoutMs).has_value());
  ::kill(static_cast<pid_t>(stuck.Pid()), SIGSTOP);  // holds the next start until it is ended

  desktop.LeaveToken("WEBGAME1");
  LauncherProcess reader(m_portal.Host(), {});
  ASSERT_TRUE(WaitUntil([&] { return reader.Output().contains("older instance overstays"); }, kWindowTimeoutMs))
      << reader.Output().toStdString();
  // Queued behind the reader, which reads the token once the stuck one is ended.
  LauncherProcess last(m_portal.Host(), {});
  EXPECT_EQ(reader.WaitForExit(60000), 0) << reader.Output().toStdString();
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const WindowInfo& window : ListWindows())
          if (window.title == kGameTitle && window.pid == last.Pid()) return true;
        return false;
      },
      kWindowTimeoutMs))
      << last.Output().toStdString();
}

}  // namespace
}  // namespace tarvex
