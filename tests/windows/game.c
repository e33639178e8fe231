/* A Windows game as the portal's installers leave it: it records how it was started in
   files beside itself (its arguments; the browser-engine switches it found in its
   environment; the path it runs at, its working folder, its ANSI code page, a word of its
   language passed through that code page and back, in UTF-8, and the face it gets for
   the Windows font of its language with whether that face draws the word), then shows a
   window for a second like a program that starts, or for TARVEX_GAME_SECONDS seconds when
   that is set (a game that hangs: it ignores being asked to close). It is built once per
   language, TARVEX_LANGUAGE being the language id its version resource (game.rc.in)
   states. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* "Game" in the game's language, and the font its texts ask for, by its own name. */
#if TARVEX_LANGUAGE == 0x0412
static const wchar_t kWord[] = L"\xac8c\xc784";             /* 게임 */
static const wchar_t kFont[] = L"\xad74\xb9bc";             /* 굴림 (Gulim) */
#elif TARVEX_LANGUAGE == 0x0404
static const wchar_t kWord[] = L"\x904a\x6232";             /* 遊戲 */
static const wchar_t kFont[] = L"\x65b0\x7d30\x660e\x9ad4"; /* 新細明體 (PMingLiU) */
#elif TARVEX_LANGUAGE == 0x0804
static const wchar_t kWord[] = L"\x6e38\x620f";             /* 游戏 */
static const wchar_t kFont[] = L"\x5b8b\x4f53";             /* 宋体 (SimSun) */
#elif TARVEX_LANGUAGE == 0x0411
static const wchar_t kWord[] = L"\x30b2\x30fc\x30e0";       /* ゲーム */
static const wchar_t kFont[] = L"\xff2d\xff33 \x30b4\x30b7\x30c3\x30af"; /* ＭＳ ゴシック */
#else
#error "TARVEX_LANGUAGE names no language the game is built in"
#endif

/* The word as a non-Unicode game keeps it, in the ANSI code page, and back: question
   marks where the code page lacks its script. */
static void AnsiRoundTrip(char* utf8, int size) {
  const wchar_t* word = kWord;
  char ansi[16];
  wchar_t back[8];
  const int bytes = WideCharToMultiByte(CP_ACP, 0, word, -1, ansi, sizeof ansi, NULL, NULL);
  const int units = bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 8) : 0;
  if (units == 0 || WideCharToMultiByte(CP_UTF8, 0, back, -1, utf8, size, NULL, NULL) == 0) utf8[0] = '\0';
}

/* "FONT|drawn" or "FONT|missing": the font the font name of the game's language resolves to,
   and whether it has a glyph for every character of the word. */
static void FontCheck(char* utf8, int size) {
  LOGFONTW wanted = {0};
  wanted.lfHeight = -16;
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, kFont, LF_FACESIZE - 1);
  HDC context = CreateCompatibleDC(NULL);
  HFONT font = CreateFontIndirectW(&wanted);
  HGDIOBJ before = SelectObject(context, font);
  /* The font's own full name (Noto's holds its PostScript name): the face name would be
     the one asked for, which a font replacement takes on. */
  wchar_t face[128] = L"";
  char metrics[4096];
  OUTLINETEXTMETRICW* outline = (OUTLINETEXTMETRICW*)metrics;
  if (GetOutlineTextMetricsW(context, sizeof metrics, outline) != 0)
    wcsncpy(face, (const wchar_t*)(metrics + (size_t)outline->otmpFullName), 127);
  WORD glyphs[8];
  const int count = (int)wcslen(kWord);
  int drawn = GetGlyphIndicesW(context, kWord, count, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == (DWORD)count;
  for (int i = 0; drawn && i < count; ++i) drawn = glyphs[i] != 0xffff;
  SelectObject(context, before);
  DeleteObject(font);
  DeleteDC(context);
  const int written = WideCharToMultiByte(CP_UTF8, 0, face, -1, utf8, size, NULL, NULL);
  if (written == 0) utf8[0] = '\0';
  strncat(utf8, drawn ? "|drawn" : "|missing", (size_t)size - strlen(utf8) - 1);
}

static void AppendLine(const char* folder, const char* name, const char* text) {
  char path[MAX_PATH * 2];
  snprintf(path, sizeof path, "%s\\%s", folder, name);
  FILE* file = fopen(path, "ab");
  if (!file) return;
  fprintf(file, "%s\n", text);
  fclose(file);
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

static void ShowWindowForAWhile(void) {
  const char* seconds = getenv("TARVEX_GAME_SECONDS");
  const DWORD until = GetTickCount() + (seconds ? (DWORD)atoi(seconds) * 1000 : 1000);
  WNDCLASSA windowClass = {0};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.lpszClassName = "TarvexTestGame";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("TarvexTestGame", "Tarvex test game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240,
                              NULL, NULL, windowClass.hInstance, NULL);
  while (window && GetTickCount() < until) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
  }
  if (!window) Sleep(1000);
}

int main(int argc, char** argv) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
  if (length == 0 || length >= sizeof self) return 1;
  char folder[MAX_PATH];
  strcpy(folder, self);
  char* slash = strrchr(folder, '\\');
  if (slash) *slash = '\0';

  char arguments[4096] = "";
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strncat(arguments, " ", sizeof arguments - strlen(arguments) - 1);
    strncat(arguments, argv[i], sizeof arguments - strlen(arguments) - 1);
  }
  AppendLine(folder, "args.log", arguments);
  const char* switches = getenv("QTWEBENGINE_CHROMIUM_FLAGS");
  AppendLine(folder, "engine-switches.log", switches ? switches : "");
  char where[MAX_PATH];
  if (GetCurrentDirectoryA(sizeof where, where) == 0) where[0] = '\0';
  char word[32];
  AnsiRoundTrip(word, sizeof word);
  char font[128 * 4 + 16];
  FontCheck(font, sizeof font);
  char started[MAX_PATH * 2 + sizeof font + 64];
  snprintf(started, sizeof started, "%s|%s|%u|%s|%s", self, where, GetACP(), word, font);
  AppendLine(folder, "start.log", started);
  ShowWindowForAWhile();
  return 0;
}
