// The self-extracting installer of a client game: a POSIX shell script followed by its
// payload (the game's icon) and optional padding. Run with /bin/sh it puts KEY.exe, a
// small stand-in game, and KEY.ico into <root>/Box/games/KEY/ of the user who runs it,
// <root> being ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvex.
// Or, for the keys the portal is told are Windows games, a real NSIS installer of a Windows
// game (nsis_installer.h) followed by the padding, which NSIS leaves alone.
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

  // The installer for a valid key, padded with padding zero bytes after the payload.
  static Reply For(const std::string& key, uint64_t padding);
  // The Windows installer `setup` of `key`, then the padding.
  static Reply ForWindows(const std::string& key, uint64_t padding, const std::string& setup);

  // The checksum file of `installer` (the installer of `key`) as sha256sum writes it
  // ("HEX  download-KEY.exe"), with the right sum or a deliberately wrong one.
  static std::string Sha256Line(const std::string& key, const Reply& installer, bool right);

  // The script part alone (what runs before the payload).
  static std::string Script(const std::string& key, uint64_t payload_offset, uint64_t payload_size);
};

}  // namespace portal
