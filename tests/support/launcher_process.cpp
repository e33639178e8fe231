#include "support/launcher_process.h"

#include "support/wait.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <optional>

namespace tarvex::testing {

LauncherProcess::LauncherProcess(const QString& portalHost, const QStringList& arguments,
                                 const QProcessEnvironment& extra, const QStringList& commandPrefix) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("TARVEX_PORTAL_HOST", portalHost);
  environment.insert("TARVEX_DOWNLOAD_HOST", portalHost);
  environment.insert("TARVEX_DOWNLOAD_SCHEME", "http");
  environment.insert("QT_LOGGING_RULES", "tarvex.trace.debug=true");
  environment.insert(extra);
  m_process.setProcessEnvironment(environment);
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  if (commandPrefix.isEmpty())
    m_process.start(QStringLiteral(TARVEX_CLIENT_EXE), arguments);
  else
    m_process.start(commandPrefix.constFirst(), commandPrefix.mid(1) + QStringList{TARVEX_CLIENT_EXE} + arguments);
  m_process.waitForStarted(10000);
}

LauncherProcess::~LauncherProcess() { Stop(); }

int LauncherProcess::WaitForExit(int timeoutMs) {
  if (!m_process.waitForFinished(timeoutMs)) return -1;
  return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString LauncherProcess::Output() {
  m_output += QString::fromUtf8(m_process.readAll());
  return m_output;
}

void LauncherProcess::Stop() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.terminate();
  if (!m_process.waitForFinished(5000)) {
    m_process.kill();
    m_process.waitForFinished(5000);
  }
}

QList<WindowInfo> ListWindows() {
  // xprop knows each client's pid; xwininfo its title and absolute geometry.
  QProcess tree;
  // The whole tree: under a window manager, application windows sit inside its frames.
  tree.start("xwininfo", {"-root", "-tree"});
  tree.waitForFinished(10000);
  QList<WindowInfo> windows;
  static const QRegularExpression line(QStringLiteral(R"re(^\s*(0x[0-9a-f]+) "(.*)": .*\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)\s*$)re"));
  for (const QString& text : QString::fromUtf8(tree.readAllStandardOutput()).split('\n')) {
    const auto match = line.match(text);
    if (!match.hasMatch()) continue;
    QProcess attributes;
    attributes.start("xwininfo", {"-id", match.captured(1)});
    attributes.waitForFinished(10000);
    const QString details = QString::fromUtf8(attributes.readAllStandardOutput());
    if (!details.contains(QLatin1String("Map State: IsViewable"))) continue;
    QProcess pid;
    pid.start("xprop", {"-id", match.captured(1), "_NET_WM_PID"});
    pid.waitForFinished(10000);
    WindowInfo info;
    info.title = match.captured(2);
    info.geometry = QRect(match.captured(7).toInt(), match.captured(8).toInt(), match.captured(3).toInt(),
                          match.captured(4).toInt());
    info.pid = QString::fromUtf8(pid.readAllStandardOutput()).section(QLatin1Char('='), 1).trimmed().toLongLong();
    windows.append(info);
  }
  return windows;
}

bool HasWindow(const QString& title) {
  for (const WindowInfo& window : ListWindows())
    if (window.title == title) return true;
  return false;
}

std::optional<WindowInfo> WaitForWindow(const QString& title, int timeoutMs) {
  std::optional<WindowInfo> found;
  WaitUntil(
      [&] {
        for (const WindowInfo& window : ListWindows())
          if (window.title == title) {
            found = window;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

QString SaveScreenshot(const QString& name) {
  const QString folder = qEnvironmentVariable("TARVEX_TEST_ARTIFACTS", QDir::currentPath() + "/artifacts");
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString path = QStringLiteral("%1/%2.%3/%4.png")
                           .arg(folder, QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()), name);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QProcess::execute("import", {"-window", "root", path});
  return path;
}

}  // namespace tarvex::testing
