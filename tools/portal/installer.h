// The self-extracting installer of a client game: a POSIX shell script followed by its
// payload (the game's icon) and optional padding. Run with /bin/sh it puts KEY.exe, a
// small stand-in game, and KEY.ico into <root>/Box/games/KEY/ of the user who runs it,
// <root> being ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvex.
// Or, for the keys the portal is told are Windows games, a real self-extracting Windows
// program: a PE stub followed by the game (a PE program too), the icon, the padding, the
// key and a trailer; run under wine it unpacks KEY.exe and KEY.ico into
// C:\Tarvex\Box\games\KEY\.
#pragma once

#include <cstdint>
#include <string>

#include "reply.h"

namespace portal {

class Installer {
 public:
  static constexpr uint64_t kMaxPadding = 256ull << 20;

  // Game keys become file names and script text, so only [A-Za-z0-9._-] is accepted,
  // and neither "." nor "..".
  static bool IsValidKey(const std::string& key);

  // The programs a Windows installer is made of, as the mingw-w64 build makes them.
  struct WindowsPrograms {
    std::string stub;  // unpacks what follows it, reading the trailer at its file's end
    std::string game;
  };

  // The installer for a valid key, padded with padding zero bytes after the payload.
  static Reply For(const std::string& key, uint64_t padding);
  // The Windows installer: stub, game, icon, padding, key, then the trailer (the key's
  // size, the game's, the icon's and the padding's, little-endian, and "TVXSFX01").
  static Reply ForWindows(const std::string& key, uint64_t padding, const WindowsPrograms& programs);

  // The checksum file of `installer` (the installer of `key`) as sha256sum writes it
  // ("HEX  download-KEY.exe"), with the right sum or a deliberately wrong one.
  static std::string Sha256Line(const std::string& key, const Reply& installer, bool right);

  // The script part alone (what runs before the payload).
  static std::string Script(const std::string& key, uint64_t payload_offset, uint64_t payload_size);
};

}  // namespace portal
