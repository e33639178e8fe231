#pragma once

#include <QList>
#include <QString>

#include <string>

namespace tarvex {

// One Chromium switch as the launcher spells it: some names carry "--", some do not;
// Chromium treats both spellings as one switch.
struct ChromiumSwitch {
  QString name;
  QString value;  // empty for a switch without a value

  bool operator==(const ChromiumSwitch&) const = default;
};

// The browser-process application: decides the Chromium switches of the whole runtime.
class NimboCefRender {
 public:
  int m_disableGpu = 0;         // 1 switches the GPU off
  std::string m_flashVersion;   // also the variable part of the plug-in's file name

  // The switches, in the order they are appended.
  QList<ChromiumSwitch> OnBeforeCommandLineProcessing() const;
};

// The switches as one command-line text for the engine, every name with a leading "--".
QString ChromiumFlagsText(const QList<ChromiumSwitch>& switches);

}  // namespace tarvex
