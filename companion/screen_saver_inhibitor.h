#pragma once

#include <QString>

#include <optional>

namespace tarvex {

// Keeps the screen saver off for as long as it lives, through the freedesktop
// org.freedesktop.ScreenSaver interface on the session bus. The desktop also ends the
// inhibition when this process's bus connection goes, so a process that dies holds
// nothing. Without a session bus or a screen saver that answers, it does nothing.
class ScreenSaverInhibitor {
 public:
  ScreenSaverInhibitor(const QString& application, const QString& reason);
  ~ScreenSaverInhibitor();
  ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
  ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

  bool IsInhibiting() const { return m_cookie.has_value(); }

 private:
  std::optional<uint> m_cookie;
};

}  // namespace tarvex
