#include "app/launcher_entry.h"
#include "browser/simple_app.h"

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
  // A Chromium sub-process (zygote, renderer, GPU, utility) runs the engine and ends,
  // before any window or instance logic.
  if (tarvex::SimpleApp::IsSubProcessLaunch(argc, argv)) return tarvex::SimpleApp().ExecuteProcess(argc, argv);

  // The launcher itself. The library stays loaded until the process ends: Qt's and the
  // launcher's static objects are torn down by exit(), after main() has returned.
  void* library = dlopen(tarvex::kLauncherLibrary, RTLD_LAZY | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "NimboClient: cannot load the launcher library: %s\n", dlerror());
    return 1;
  }
  using Entry = decltype(&NimboLauncherMain);
  auto entry = reinterpret_cast<Entry>(dlsym(library, tarvex::kLauncherEntrySymbol));
  if (!entry) {
    std::fprintf(stderr, "NimboClient: the launcher library has no entry: %s\n", dlerror());
    return 1;
  }
  return entry(argc, argv);
}
