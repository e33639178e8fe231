// The executable's process roles: a sub-process launch runs the engine and ends, a plain
// start shows the main window, and a newer instance replaces the running one.
#include "support/journey.h"
#include "support/launcher_process.h"
#include "support/portal_process.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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
  ASSERT_TRUE(WaitForWindow(kMainTitle, kWindowTimeoutMs).has_value());

  LauncherProcess subProcess(m_portal.Host(), {"--type=not-a-role"});
  subProcess.WaitForExit(20000);  // ends, with whatever code the engine gives
  EXPECT_FALSE(subProcess.IsRunning());
  EXPECT_TRUE(running.IsRunning());
  const QList<WindowInfo> windows = MainWindows();
  ASSERT_EQ(windows.size(), 1);
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

}  // namespace
}  // namespace tarvex
