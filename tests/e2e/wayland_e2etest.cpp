// The launcher in a Wayland session, under Debian's weston on its headless back end: with
// XWayland it runs as an X11 client with its usual windows; without it, it runs natively
// and still opens the portal and the player's web game.
#include "support/journey.h"
#include "support/launcher_process.h"
#include "support/portal_process.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tarvex {
namespace {

using namespace tarvex::testing;

constexpr int kStartTimeoutMs = 60000;

// A headless weston of its own, with its socket in a private runtime folder.
class Weston {
 public:
  explicit Weston(bool xwayland) {
    // XWayland's socket goes where every X server's does; as root nothing else makes it.
    if (xwayland && QDir().mkpath(QStringLiteral("/tmp/.X11-unix"))) ::chmod("/tmp/.X11-unix", 01777);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList arguments{"--backend=headless-backend.so", "--socket=wayland-test", "--no-config",
                          "--width=1920", "--height=1080", "--log=" + LogPath()};
    if (xwayland) arguments.append("--xwayland");
    m_process.start(QStringLiteral("weston"), arguments);
    m_process.waitForStarted(10000);
    WaitUntil([&] { return QFile::exists(Socket()) && (!xwayland || !XDisplay().isEmpty()); }, 20000);
  }
  ~Weston() {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
    m_process.waitForFinished(5000);
  }

  // The compositor's socket, as an absolute WAYLAND_DISPLAY.
  QString Socket() const { return m_runtime.filePath(QStringLiteral("wayland-test")); }
  bool IsUp() const { return QFile::exists(Socket()); }
  // XWayland's display (":N"), once weston has opened it; empty without XWayland.
  QString XDisplay() const {
    QFile log(LogPath());
    if (!log.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
    return listening.match(QString::fromUtf8(log.readAll())).captured(1);
  }
  QString Log() const {
    QFile log(LogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
  }

 private:
  QString LogPath() const { return m_runtime.filePath(QStringLiteral("weston.log")); }

  QTemporaryDir m_runtime;  // mode 0700, as a runtime folder must be
  QProcess m_process;
};

bool MapsLibrary(qint64 pid, const QByteArray& name) {
  QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

// What a Wayland session's desktop gives the programs it starts.
QProcessEnvironment Session(const Weston& weston) {
  QProcessEnvironment session;
  session.insert("WAYLAND_DISPLAY", weston.Socket());
  session.insert("XDG_SESSION_TYPE", "wayland");
  return session;
}

class WaylandSession : public ::testing::Test {
 protected:
  PortalProcess m_portal;
};

TEST_F(WaylandSession, WithXWaylandTheMainWindowIsAnX11WindowOfItsUsualSize) {
  Weston weston(/*xwayland=*/true);
  ASSERT_TRUE(weston.IsUp()) << weston.Log().toStdString();
  const QString display = weston.XDisplay();
  ASSERT_FALSE(display.isEmpty()) << weston.Log().toStdString();
  ASSERT_TRUE(m_portal.IsUp());

  QProcessEnvironment session = Session(weston);
  session.insert("DISPLAY", display);
  LauncherProcess launcher(m_portal.Host(), {}, session);
  // The X tools of this test look at XWayland's display.
  const auto restoreDisplay = qScopeGuard([saved = qgetenv("DISPLAY")] { qputenv("DISPLAY", saved); });
  qputenv("DISPLAY", display.toLocal8Bit());
  const auto window = WaitForWindow(kMainTitle, kStartTimeoutMs);
  ASSERT_TRUE(window.has_value()) << launcher.Output().toStdString();
  EXPECT_EQ(window->geometry.size(), QSize(1320, 820));
  EXPECT_EQ(window->pid, launcher.Pid());
  EXPECT_TRUE(MapsLibrary(launcher.Pid(), "libqxcb"));
  EXPECT_TRUE(m_portal.WaitForTarget([](const QString& t) { return t == "/mini/index/"; }, kStartTimeoutMs));
}

TEST_F(WaylandSession, WithoutXWaylandTheLauncherRunsNativelyAndOpensTheWebGame) {
  Weston weston(/*xwayland=*/false);
  ASSERT_TRUE(weston.IsUp()) << weston.Log().toStdString();
  ASSERT_TRUE(m_portal.IsUp());
  PlayerDesktop desktop;
  desktop.Reset();
  desktop.LeaveToken("WEBGAME1");

  QProcessEnvironment session = Session(weston);
  session.insert("DISPLAY", QString());  // no X server in this session
  LauncherProcess launcher(m_portal.Host(), {}, session);
  ASSERT_TRUE(m_portal.WaitForTarget([](const QString& t) { return t == "/mini/server_inf_data/?key=WEBGAME1"; },
                                     kStartTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_TRUE(MapsLibrary(launcher.Pid(), "libqwayland"));
  // The game window, placed by the compositor, loads the game.
  EXPECT_TRUE(m_portal.WaitForTarget([](const QString& t) { return t.startsWith("/mini/play/web/"); }, kStartTimeoutMs))
      << launcher.Output().toStdString();
  EXPECT_TRUE(launcher.IsRunning()) << launcher.Output().toStdString();
}

}  // namespace
}  // namespace tarvex
