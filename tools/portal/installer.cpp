#include "installer.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include <openssl/evp.h>

#include "icon_image.h"
#include "text_codec.h"

namespace portal {

namespace {

// The stand-in game: records its arguments (one line per run, joined by blanks) and the
// browser-engine switches it was started with next to itself, then stays up for a second
// like a program that starts.
constexpr const char* kGameScript = R"SH(#!/bin/sh
# @KEY@: stand-in game installed by the Tarvex reference portal.
here=$(cd "$(dirname "$0")" && pwd)
printf '%s\n' "$*" >> "$here/args.log"
printf '%s\n' "${QTWEBENGINE_CHROMIUM_FLAGS-}" >> "$here/engine-switches.log"
sleep 1
exit 0
)SH";

// Every installer is as old as this portal's installer format.
constexpr const char* kLastModified = "Wed, 01 Jan 2025 00:00:00 GMT";

// The lowercase hex SHA-256 of a reply's body.
std::string Sha256Hex(const Reply& installer) {
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
  for (uint64_t offset = 0; offset < installer.size;) {
    const std::string piece = installer.read(offset, 1 << 20);
    EVP_DigestUpdate(context.get(), piece.data(), piece.size());
    offset += piece.size();
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context.get(), digest, &length);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

}  // namespace

bool Installer::IsValidKey(const std::string& key) {
  if (key.empty() || key == "." || key == ".." || key.size() > 64) return false;
  for (const char c : key) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '.' || c == '_' || c == '-';
    if (!allowed) return false;
  }
  return true;
}

std::string Installer::Script(const std::string& key, uint64_t payload_offset, uint64_t payload_size) {
  std::string script = R"SH(#!/bin/sh
# Tarvex game installer for "@KEY@". Installs the game into
# ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvex/Box/games/@KEY@/ and exits 0.
set -e
root="${XDG_DATA_HOME:-$HOME/.local/share}/Tarvex"
dir="$root/Box/games/@KEY@"
mkdir -p "$dir"
cat > "$dir/.@KEY@.exe.part" <<'TARVEX_GAME_SCRIPT'
@GAME@TARVEX_GAME_SCRIPT
chmod 755 "$dir/.@KEY@.exe.part"
dd if="$0" of="$dir/.@KEY@.ico.part" bs=1 skip=@OFFSET@ count=@SIZE@ 2>/dev/null
mv -f "$dir/.@KEY@.ico.part" "$dir/@KEY@.ico"
mv -f "$dir/.@KEY@.exe.part" "$dir/@KEY@.exe"
exit 0
)SH";
  script = ReplaceAll(script, "@GAME@", kGameScript);
  script = ReplaceAll(script, "@OFFSET@", std::to_string(payload_offset));
  script = ReplaceAll(script, "@SIZE@", std::to_string(payload_size));
  return ReplaceAll(script, "@KEY@", key);
}

namespace {

// An installer of `head`, then `padding` zero bytes.
Reply Download(const std::string& key, std::string head_bytes, uint64_t padding) {
  auto head = std::make_shared<const std::string>(std::move(head_bytes));
  Reply reply;
  reply.content_type = "application/octet-stream";
  reply.headers.emplace_back("Content-Disposition", "attachment; filename=\"download-" + key + ".exe\"");
  reply.size = head->size() + padding;
  // The bytes follow from the key and the padding alone, and so does the validator: a
  // different padding is a different file to a client that resumes.
  reply.headers.emplace_back("Accept-Ranges", "bytes");
  reply.headers.emplace_back("ETag", "\"" + key + "-" + std::to_string(reply.size) + "\"");
  reply.headers.emplace_back("Last-Modified", kLastModified);
  reply.read = [head, total = reply.size](uint64_t offset, size_t max_bytes) {
    if (offset < head->size()) return head->substr(offset, max_bytes);
    return std::string(std::min<uint64_t>(max_bytes, total - std::min(offset, total)), '\0');
  };
  return reply;
}

}  // namespace

Reply Installer::For(const std::string& key, uint64_t padding) {
  const std::string icon = IconImage::ForKey(key);
  // The script names the payload's offset, which is the script's own length: settle it.
  std::string script;
  for (uint64_t offset = 0;;) {
    script = Script(key, offset, icon.size());
    if (script.size() == offset) break;
    offset = script.size();
  }
  return Download(key, script + icon, padding);
}

Reply Installer::ForWindows(const std::string& key, uint64_t padding, const std::string& setup) {
  return Download(key, setup, padding);
}

std::string Installer::Sha256Line(const std::string& key, const Reply& installer, bool right) {
  // A padded installer takes a while to hash: each one is hashed once.
  static std::mutex mutex;
  static std::map<std::pair<std::string, uint64_t>, std::string> sums;
  const std::lock_guard lock(mutex);
  std::string& hex = sums[{key, installer.size}];
  if (hex.empty()) hex = Sha256Hex(installer);
  std::string line = hex;
  // A wrong sum differs in its first digit only, like a file changed by one byte would.
  if (!right) line[0] = line[0] == '0' ? '1' : '0';
  return line + "  download-" + key + ".exe\n";
}

}  // namespace portal
