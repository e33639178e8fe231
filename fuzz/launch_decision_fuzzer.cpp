// The client-game launch address: what it asks for, and that whatever it names stays in
// the games folder, the installer folder and the desktop. One game ("hero") is installed.
#include "fuzz/desktop_entry_check.h"
#include "fuzz/fuzz_check.h"
#include "install/desktop_shortcut.h"
#include "install/file_name_rules.h"
#include "install/launch_decision.h"
#include "platform/paths.h"
#include "portal/address_field.h"

#include <QFile>

namespace {

namespace launch = tarvex::launch;
namespace paths = tarvex::paths;
using tarvex::fuzz::IsDirectlyInside;

// The game's files sit in its own folder directly below the games folder.
void CheckGamePaths(const QString& key, const QString& address) {
  const QString folder = paths::GameFolder(key);
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(folder, paths::GamesFolder()), address);
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::GameExecutable(key), folder), address);
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::GameIcon(key), folder), address);
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::InstallerPath(key), paths::InstallerFolder()), address);
}

void CheckShortcut(const launch::Shortcut& shortcut, const QString& key, const QString& address) {
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::DesktopFolder() + shortcut.name + QStringLiteral(".desktop"),
                                       paths::DesktopFolder()),
                      address);
  TARVEX_FUZZ_REQUIRE(shortcut.icon == paths::GameIcon(key), address);
  const QString launcher = paths::InstalledClient();
  const QString companion = paths::InstalledCompanion();
  tarvex::fuzz::CheckDesktopEntry(shortcut, launcher, companion, tarvex::DesktopEntryText(shortcut, launcher, companion));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tarvex::fuzz::UsePrivateHome();
  const QString hero = paths::GameExecutable(QStringLiteral("hero"));
  QDir().mkpath(paths::GameFolder(QStringLiteral("hero")));
  QFile file(hero);
  if (!file.open(QIODevice::WriteOnly)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString address = tarvex::fuzz::Utf8Text(data, size);
  const QString key = tarvex::AddressField(address, 5);
  const launch::Decision decision = launch::DecideLaunch(address);

  if (std::holds_alternative<launch::RefuseKey>(decision)) {
    TARVEX_FUZZ_REQUIRE(!tarvex::IsAcceptableGameKey(key), address);
    return 0;
  }
  TARVEX_FUZZ_REQUIRE(tarvex::IsAcceptableGameKey(key), address);
  if (!key.isEmpty()) CheckGamePaths(key, address);
  if (const auto* start = std::get_if<launch::Start>(&decision)) {
    TARVEX_FUZZ_REQUIRE(key == QLatin1String("hero") && start->executable == paths::GameExecutable(key), address);
    TARVEX_FUZZ_REQUIRE(start->launchParams.size() >= launch::kMinLaunchParamsLength, address);
    if (start->shortcut) CheckShortcut(*start->shortcut, key, address);
  }
  return 0;
}
