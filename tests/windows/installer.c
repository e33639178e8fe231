/* A self-extracting game installer as the portal serves them: this program followed by
   its payload, the game and its icon, then zero padding, then a trailer naming the game
   key and the sizes. It unpacks the game into C:\Tarvex\Box\games\KEY\ (KEY.exe and
   KEY.ico, each written under another name first and then moved into place) and exits
   0, or 1 when its payload cannot be read or written. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* The trailer, at the very end: the key's bytes, then these fields, little-endian. */
#pragma pack(push, 1)
struct Trailer {
  uint32_t key_size;
  uint32_t game_size;
  uint32_t icon_size;
  uint64_t padding;
  char magic[8]; /* "TVXSFX01" */
};
#pragma pack(pop)

static int CopyOut(FILE* self, long long offset, uint32_t size, const char* folder, const char* name) {
  char part[MAX_PATH], target[MAX_PATH];
  snprintf(part, sizeof part, "%s\\.%s.part", folder, name);
  snprintf(target, sizeof target, "%s\\%s", folder, name);
  FILE* out = fopen(part, "wb");
  if (!out || _fseeki64(self, offset, SEEK_SET) != 0) return 0;
  char buffer[65536];
  for (uint32_t left = size; left > 0;) {
    const size_t piece = left < sizeof buffer ? left : sizeof buffer;
    if (fread(buffer, 1, piece, self) != piece || fwrite(buffer, 1, piece, out) != piece) {
      fclose(out);
      return 0;
    }
    left -= (uint32_t)piece;
  }
  if (fclose(out) != 0) return 0;
  return MoveFileExA(part, target, MOVEFILE_REPLACE_EXISTING) != 0;
}

int main(void) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  if (length == 0 || length >= sizeof path) return 1;
  FILE* self = fopen(path, "rb");
  if (!self || _fseeki64(self, 0, SEEK_END) != 0) return 1;
  const long long end = _ftelli64(self);
  struct Trailer trailer;
  if (end < (long long)sizeof trailer || _fseeki64(self, end - (long long)sizeof trailer, SEEK_SET) != 0 ||
      fread(&trailer, sizeof trailer, 1, self) != 1 || memcmp(trailer.magic, "TVXSFX01", 8) != 0 ||
      trailer.key_size == 0 || trailer.key_size > 64)
    return 1;
  char key[65];
  const long long keyAt = end - (long long)sizeof trailer - trailer.key_size;
  if (_fseeki64(self, keyAt, SEEK_SET) != 0 || fread(key, 1, trailer.key_size, self) != trailer.key_size) return 1;
  key[trailer.key_size] = '\0';
  const long long iconAt = keyAt - (long long)trailer.padding - trailer.icon_size;
  const long long gameAt = iconAt - trailer.game_size;
  if (gameAt < 0) return 1;

  char folder[MAX_PATH];
  CreateDirectoryA("C:\\Tarvex\\Box\\games", NULL);
  snprintf(folder, sizeof folder, "C:\\Tarvex\\Box\\games\\%s", key);
  CreateDirectoryA(folder, NULL);
  char game[80], icon[80];
  snprintf(game, sizeof game, "%s.exe", key);
  snprintf(icon, sizeof icon, "%s.ico", key);
  /* The icon first: the game's executable is what says "installed". */
  const int done = CopyOut(self, iconAt, trailer.icon_size, folder, icon) &&
                   CopyOut(self, gameAt, trailer.game_size, folder, game);
  fclose(self);
  return done ? 0 : 1;
}
