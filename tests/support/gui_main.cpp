// Entry of every widget and browser test binary. Like the launcher itself, the binary also
// serves the engine's sub-processes.
#include "browser/simple_app.h"
#include "browser/browser_runtime.h"
#include "platform/paths.h"
#include "support/shared_runtime.h"
#include "support/test_environment.h"

#include <QApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <clocale>
#include <memory>

namespace tarvex::testing {
namespace {
BrowserRuntime* g_runtime = nullptr;
}  // namespace

BrowserRuntime& SharedRuntime() { return *g_runtime; }

}  // namespace tarvex::testing

int main(int argc, char** argv) {
  if (tarvex::SimpleApp::IsSubProcessLaunch(argc, argv)) return tarvex::SimpleApp().ExecuteProcess(argc, argv);

  tarvex::testing::TestEnvironment environment;
  tarvex::testing::PrepareBrowserEnvironment();
  qputenv("QTWEBENGINEPROCESS_PATH", QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toLocal8Bit());
  std::setlocale(LC_ALL, "");

  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("NimboClient"));
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  auto runtime = std::make_unique<tarvex::BrowserRuntime>();
  tarvex::testing::g_runtime = runtime.get();
  // As the main window does, before any browser exists; a later initialisation changes nothing.
  tarvex::RuntimeSettings settings;
  settings.noSandbox = true;
  settings.cachePath = tarvex::paths::GetBrowserCachePath();
  runtime->Initialize(settings, tarvex::NimboCefRender());
  const int result = RUN_ALL_TESTS();
  runtime.reset();
  return result;
}
