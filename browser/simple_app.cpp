#include "browser/simple_app.h"

#include <QCoreApplication>

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace QtWebEngineCore {
// Exported by libQt6WebEngineCore; the engine's own helper program calls it.
int processMain(int argc, const char** argv);
}  // namespace QtWebEngineCore

namespace tarvex {

bool SimpleApp::IsSubProcessLaunch(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]).starts_with("--type=")) return true;
  }
  return false;
}

int SimpleApp::ExecuteProcess(int argc, char** argv) {
  // Chromium rewrites argv to set the process title, so it gets a deep copy of its own,
  // and a QCoreApplication must exist on that copy, as in the engine's helper program.
  std::vector<std::unique_ptr<char[]>> storage;
  std::vector<char*> copy;
  for (int i = 0; i < argc; ++i) {
    const std::size_t length = std::strlen(argv[i]);
    storage.push_back(std::make_unique<char[]>(length + 1));
    std::memcpy(storage.back().get(), argv[i], length + 1);
    copy.push_back(storage.back().get());
  }
  copy.push_back(nullptr);
  int copyCount = argc;
  QCoreApplication application(copyCount, copy.data());
  return QtWebEngineCore::processMain(copyCount, const_cast<const char**>(copy.data()));
}

}  // namespace tarvex
