#include "app/display_environment.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct PlatformRow {
  const char* user;
  const char* wayland;
  const char* x11;
  const char* chosen;
};

TEST(DisplayEnvironment, ChoosesX11WhereXWaylandRunsAndKeepsTheUsersPlatform) {
  constexpr PlatformRow kRows[] = {
      {"", "wayland-0", ":0", "xcb"},          // Wayland session with XWayland
      {"", "wayland-0", "", "wayland"},        // Wayland alone
      {"", "", ":0", ""},                      // plain X11: Qt's own choice
      {"", "", "", ""},                        // no display at all
      {"wayland", "wayland-0", ":0", "wayland"},  // the user's choice stands
      {"offscreen", "", ":0", "offscreen"},
  };
  for (const PlatformRow& row : kRows)
    EXPECT_EQ(ChooseQtPlatform(row.user, row.wayland, row.x11), QByteArray(row.chosen))
        << "user '" << row.user << "' wayland '" << row.wayland << "' x11 '" << row.x11 << "'";
}

TEST(DisplayEnvironment, HidesTheDesktopsScaleFactorsOnlyWhileItLives) {
  qputenv("QT_SCALE_FACTOR", "2");
  qunsetenv("QT_SCREEN_SCALE_FACTORS");
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "1");
  {
    DisplayEnvironment environment;
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    EXPECT_EQ(qgetenv("QT_ENABLE_HIGHDPI_SCALING"), "0");
  }
  EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), "2");
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS"));
  EXPECT_EQ(qgetenv("QT_ENABLE_HIGHDPI_SCALING"), "1");
  qunsetenv("QT_SCALE_FACTOR");
  qunsetenv("QT_ENABLE_HIGHDPI_SCALING");
}

}  // namespace
}  // namespace tarvex
