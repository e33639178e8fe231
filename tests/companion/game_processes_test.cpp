#include "companion/game_processes.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

// Which processes belong to game "hero": wine's processes are wine's executable, the
// Windows program their first argument, at whichever path wine was given.
TEST(GameProcesses, AProcessBelongsToTheGameWhoseFolderHoldsItsProgram) {
  const GameProgramMatcher hero({"/d/Tarvex/Box/games/hero/", "/d/Tarvex/wine/drive_c/Tarvex/Box/games/hero/"},
                                "C:\\Tarvex\\Box\\games\\hero\\");
  const struct {
    const char* name;
    ProcessInfo process;
    bool matches;
  } cases[] = {
      {"native program in the folder", {1, "/d/Tarvex/Box/games/hero/hero", {"hero"}}, true},
      {"native program below it", {1, "/d/Tarvex/Box/games/hero/bin/patcher", {"patcher"}}, true},
      {"wine at the Windows path", {1, "/usr/lib/wine/wine64", {"C:\\Tarvex\\Box\\games\\hero\\hero.exe", "P", ""}}, true},
      {"wine at it in other case", {1, "/usr/lib/wine/wine", {"c:\\tarvex\\box\\GAMES\\HERO\\Hero.exe"}}, true},
      {"wine's preloader", {1, "/usr/lib/wine/wine64-preloader", {"C:\\Tarvex\\Box\\games\\hero\\x.exe"}}, true},
      {"wine at the Unix path", {1, "/usr/lib/wine/wine64", {"/d/Tarvex/Box/games/hero/hero.exe"}}, true},
      {"wine through the prefix", {1, "/usr/bin/wine", {"/d/Tarvex/wine/drive_c/Tarvex/Box/games/hero/hero.exe"}}, true},
      {"wine on drive Z:", {1, "/usr/lib/wine/wine64", {"Z:\\d\\Tarvex\\Box\\games\\hero\\hero.exe"}}, true},
      {"another game whose key starts alike", {1, "/usr/lib/wine/wine64", {"C:\\Tarvex\\Box\\games\\hero2\\hero2.exe"}}, false},
      {"another game, native", {1, "/d/Tarvex/Box/games/hero2/hero", {"hero"}}, false},
      {"the companion that runs the game", {1, "/usr/bin/nimbo-game", {"nimbo-game", "run", "/d/Tarvex/Box/games/hero/hero.exe"}}, false},
      {"a program naming the path", {1, "/usr/bin/less", {"/d/Tarvex/Box/games/hero/hero.exe"}}, false},
      {"wine's server", {1, "/usr/lib/wine/wineserver64", {"/usr/lib/wine/wineserver64", "-p0"}}, false},
      {"a process without a command line", {1, "", {}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(hero.Matches(c.process), c.matches);
  }
}

}  // namespace
}  // namespace tarvex
