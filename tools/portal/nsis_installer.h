// A client game's real Windows installer, as the portal's games ship them: built with
// Debian's makensis, 64-bit (amd64-unicode, which this machine's wine runs), silent, with
// the game's language in its version resource. Run under wine it puts KEY.ico, then
// KEY.exe, into C:\Tarvex\Box\games\KEY\ and exits 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace portal {

struct WindowsGame {
  std::string program;  // the game's PE file, its bytes
  uint16_t language = 0;  // the Windows language id the installer states
};

// The languages the test build makes the game in, by the name --windows KEY=NAME takes
// ("ko", "zh-TW", "zh-CN", "ja"); 0 for any other name.
uint16_t WindowsLanguageId(const std::string& name);

// The installer of `game` for the valid key `key`, with `icon` as its icon; nothing, with
// *error set, when makensis is missing or fails. Takes a fraction of a second.
std::optional<std::string> BuildNsisInstaller(const std::string& key, const WindowsGame& game, const std::string& icon,
                                              std::string* error);

}  // namespace portal
