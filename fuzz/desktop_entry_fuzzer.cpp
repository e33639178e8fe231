// Names that end up in file paths, and the desktop entry written for any shortcut: the game
// key, the game name, the shortcut's argument and the launcher's path as four strings
// ("\\" followed by another character ends a string, "\\\\" is one backslash).
#include "fuzz/desktop_entry_check.h"
#include "fuzz/fuzz_check.h"
#include "install/desktop_shortcut.h"
#include "install/file_name_rules.h"
#include "install/launch_decision.h"
#include "platform/paths.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

namespace paths = tarvex::paths;
using tarvex::fuzz::IsDirectlyInside;

QString NextText(FuzzedDataProvider& input) { return QString::fromStdString(input.ConsumeRandomLengthString()); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tarvex::fuzz::UsePrivateHome();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const QString key = NextText(input);
  const QString name = NextText(input);
  const QString arguments = NextText(input);
  const QString launcher = QLatin1Char('/') + QString::fromStdString(input.ConsumeRemainingBytesAsString());
  const QString detail = QStringList{key, name, arguments, launcher}.join(QStringLiteral(" | "));

  if (tarvex::IsAcceptableGameKey(key) && !key.isEmpty()) {
    TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::GameFolder(key), paths::GamesFolder()), detail);
    TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::GameExecutable(key), paths::GameFolder(key)), detail);
    TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::GameIcon(key), paths::GameFolder(key)), detail);
    TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::InstallerPath(key), paths::InstallerFolder()), detail);
  }
  if (!tarvex::IsSingleFileName(name)) return 0;
  TARVEX_FUZZ_REQUIRE(IsDirectlyInside(paths::DesktopFolder() + name + QStringLiteral(".desktop"), paths::DesktopFolder()),
                      detail);
  const tarvex::launch::Shortcut shortcut{name, arguments, paths::GameIcon(key), key};
  tarvex::fuzz::CheckDesktopEntry(shortcut, launcher, launcher + QStringLiteral("-game"),
                                  tarvex::DesktopEntryText(shortcut, launcher, launcher + QStringLiteral("-game")));
  return 0;
}
