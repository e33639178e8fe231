// The self-extracting installer of a client game: a POSIX shell script followed by its
// payload (the game's icon) and optional padding. Run with /bin/sh it puts KEY.exe, a
// small stand-in game, and KEY.ico into <root>/Box/games/KEY/ of the user who runs it,
// <root> being ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvex.
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

  // The installer's checksum file as sha256sum writes it ("HEX  download-KEY.exe"), with
  // the right sum or a deliberately wrong one.
  static std::string Sha256Line(const std::string& key, uint64_t padding, bool right);

  // The script part alone (what runs before the payload).
  static std::string Script(const std::string& key, uint64_t payload_offset, uint64_t payload_size);
};

}  // namespace portal
