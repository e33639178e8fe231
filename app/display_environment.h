#pragma once

#include <QByteArray>

#include <optional>
#include <utility>
#include <vector>

namespace tarvex {

// The Qt platform the launcher asks for, from the environment it was started in. In a
// Wayland session that also runs an X server (XWayland), the X11 one ("xcb"): only an X11
// client may place its own windows and move them after the cursor. In a Wayland session
// without one, "wayland" (Qt would otherwise try X11 unless the session type says
// Wayland). Empty, leaving Qt's own choice, everywhere else. A platform the user set is kept.
QByteArray ChooseQtPlatform(const QByteArray& userPlatform, const QByteArray& waylandDisplay,
                            const QByteArray& x11Display);

// The environment QApplication is created in, for as long as this object lives: the
// platform above, and none of the scale factors a desktop sets for every program, so
// windows are sized in device pixels and pages drawn at scale 1. Destroyed once
// QApplication exists, it puts the desktop's values back, and the programs the launcher
// starts (games, installers, the user's browser) get them unchanged.
class DisplayEnvironment final {
 public:
  DisplayEnvironment();
  ~DisplayEnvironment();
  DisplayEnvironment(const DisplayEnvironment&) = delete;
  DisplayEnvironment& operator=(const DisplayEnvironment&) = delete;

 private:
  // Saves the variable's value, then sets it to `value` (unsets it for nullopt).
  void Override(const char* name, const std::optional<QByteArray>& value);

  // Each overridden variable with its value before; nullopt when it was not set.
  std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

}  // namespace tarvex
