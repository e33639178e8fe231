#include "install/launch_decision.h"

#include "install/file_name_rules.h"
#include "platform/paths.h"
#include "portal/address_field.h"
#include "portal/url_decode.h"

#include <QFileInfo>

#include <algorithm>

namespace tarvex::launch {
namespace {

// The argument becomes one line of a desktop entry.
bool IsSingleLine(const QString& text) {
  return std::none_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

}  // namespace

Decision DecideLaunch(const QString& launchAddress) {
  const QString arguments = AddressField(launchAddress, 4);
  const QString key = AddressField(launchAddress, 5);
  const QString name = UrlDecode(AddressField(launchAddress, 6));
  const QString launchParams = AddressField(launchAddress, 7);

  if (!IsAcceptableGameKey(key)) return RefuseKey{key};
  const QString executable = paths::GameExecutable(key);
  // Without a key there is no game folder to look in: it always goes to the download.
  if (key.isEmpty() || !QFileInfo(executable).isFile()) return NotInstalled{key, launchParams};
  if (launchParams.size() < kMinLaunchParamsLength) return TokenExpired{};

  std::optional<Shortcut> shortcut;
  if (IsSingleFileName(name) && IsSingleLine(arguments))
    shortcut = Shortcut{name, arguments, paths::GameIcon(key), key};
  return Start{executable, launchParams, shortcut};
}

}  // namespace tarvex::launch
