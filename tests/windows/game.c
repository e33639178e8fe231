/* A Windows game as the portal's installers leave it: it records how it was started in
   files beside itself (its arguments; the browser-engine switches it found in its
   environment; the path it runs at, its working folder, its ANSI code page and a Korean
   word passed through that code page and back, in UTF-8), then shows a window for a
   second like a program that starts, or for TARVEX_GAME_SECONDS seconds when that is set
   (a game that hangs: it ignores being asked to close). Its version resource (game.rc)
   says it is Korean. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* The word "게임" ("game") as a non-Unicode game keeps it, in the ANSI code page, and back:
   question marks where the code page has no Hangul. */
static void AnsiRoundTrip(char* utf8, int size) {
  static const wchar_t word[] = L"\xac8c\xc784";
  char ansi[16];
  wchar_t back[8];
  const int bytes = WideCharToMultiByte(CP_ACP, 0, word, -1, ansi, sizeof ansi, NULL, NULL);
  const int units = bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 8) : 0;
  if (units == 0 || WideCharToMultiByte(CP_UTF8, 0, back, -1, utf8, size, NULL, NULL) == 0) utf8[0] = '\0';
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
  char started[MAX_PATH * 2 + 64];
  snprintf(started, sizeof started, "%s|%s|%u|%s", self, where, GetACP(), word);
  AppendLine(folder, "start.log", started);
  ShowWindowForAWhile();
  return 0;
}
