#pragma once

#include <QString>

#include <optional>
#include <variant>

// What a client-game launch address asks for. The address's '/'-separated fields carry:
// 4 the shortcut's argument, 5 the game key, 6 the percent-encoded game name, 7 the
// game's launch parameters.
namespace tarvex::launch {

// The key would name a path outside the games folder: nothing is downloaded or started.
struct RefuseKey {
  QString key;
  bool operator==(const RefuseKey&) const = default;
};
// The game is not installed: the download window takes over.
struct NotInstalled {
  QString key;
  QString launchParams;
  bool operator==(const NotInstalled&) const = default;
};
// The game is installed but the launch parameters are too short to carry a token.
struct TokenExpired {
  bool operator==(const TokenExpired&) const = default;
};
// The desktop entry that starts the launcher for this game.
struct Shortcut {
  QString name;       // the decoded game name; the file is DESKTOP/NAME.desktop
  QString arguments;  // the launcher's one argument
  QString icon;       // the game's icon
  QString key;        // the game key, which marks the entry as the launcher's own
  bool operator==(const Shortcut&) const = default;
};
struct Start {
  QString executable;
  QString launchParams;
  std::optional<Shortcut> shortcut;  // none when the name or the argument is unusable
  bool operator==(const Start&) const = default;
};

using Decision = std::variant<RefuseKey, NotInstalled, TokenExpired, Start>;

inline constexpr qsizetype kMinLaunchParamsLength = 8;

// The game counts as installed when its executable exists.
Decision DecideLaunch(const QString& launchAddress);

}  // namespace tarvex::launch
