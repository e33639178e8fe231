#include "app/launcher_entry.h"

#include "app/display_environment.h"
#include "app/nimbo_client_app.h"
#include "platform/worker_threads.h"
#include "ui/main/main_window_skin.h"

#include <QApplication>
#include <QFileInfo>

#include <clocale>
#include <optional>

namespace {

// A cancelled transfer notices within a second (libcurl's progress callback).
constexpr std::chrono::milliseconds kWorkersEndMs{3000};

}  // namespace

int NimboLauncherMain(int argc, char** argv) {
  // The main window's background decodes on a worker while the application sets up.
  tarvex::PrefetchMainWindowSkin();

  // The launch parameter is taken before QApplication removes options such as -style.
  QStringList launchArguments;
  for (int i = 1; i < argc; ++i) launchArguments.append(QString::fromLocal8Bit(argv[i]));

  // Every Chromium sub-process is this same executable.
  const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  qputenv("QTWEBENGINEPROCESS_PATH", self.toLocal8Bit());
  std::setlocale(LC_ALL, "");

  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Platform and scaling hold for QApplication only: the programs the launcher starts later
  // get the desktop's environment back.
  std::optional<tarvex::DisplayEnvironment> displayEnvironment(std::in_place);
  QApplication application(argc, argv);
  displayEnvironment.reset();
  QApplication::setApplicationName(QStringLiteral("NimboClient"));
  int exitCode = 0;
  {
    tarvex::CNimboClientApp launcher(std::move(launchArguments));
    if (!launcher.InitInstance()) return 0;
    exitCode = application.exec();
  }
  // The windows are gone and with them every transfer's owner, which cancelled it. No
  // worker may outlive the libraries it uses: wait for them, bounded (a worker waiting on
  // an installer that runs on is left to the process's end).
  tarvex::WaitForWorkers(kWorkersEndMs);
  return exitCode;
}
