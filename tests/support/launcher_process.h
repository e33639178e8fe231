#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

namespace tarvex::testing {

// One run of the real NimboClient, with the environment of the test process (the test's
// private HOME and XDG folders) and the portal host the test gives it. `commandPrefix`, when
// given, runs it through another program that ends by executing it (another user's rights).
class LauncherProcess {
 public:
  LauncherProcess(const QString& portalHost, const QStringList& arguments,
                  const QProcessEnvironment& extra = QProcessEnvironment(), const QStringList& commandPrefix = {});
  ~LauncherProcess();

  bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
  qint64 Pid() const { return m_process.processId(); }
  // Waits for the program to end; returns its exit code, or -1 when it did not end in time
  // or crashed.
  int WaitForExit(int timeoutMs);
  // Everything it wrote (standard output and error), traces included.
  QString Output();
  void Stop();

 private:
  QProcess m_process;
  QString m_output;
};

// A top-level window on the X server.
struct WindowInfo {
  QString title;
  QRect geometry;
  qint64 pid = 0;
};

// The mapped top-level windows of the display, by the X server's own account.
QList<WindowInfo> ListWindows();
// Whether a window with exactly this title is shown.
bool HasWindow(const QString& title);
// Waits until a window with exactly this title is shown; returns it.
std::optional<WindowInfo> WaitForWindow(const QString& title, int timeoutMs);
// Saves a picture of the whole screen as a test artefact and returns its path.
QString SaveScreenshot(const QString& name);

}  // namespace tarvex::testing
