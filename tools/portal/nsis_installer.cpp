#include "nsis_installer.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace portal {

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return out.good();
}

// The script; `folder` holds game.exe and game.ico and receives setup.exe. Keys are
// [A-Za-z0-9._-] only, so they go into the script's strings as they are.
std::string Script(const std::string& key, uint16_t language, const std::string& folder) {
  const std::string lang = std::to_string(language);
  std::ostringstream script;
  script << "Unicode true\n"
            "Target amd64-unicode\n"
            "SetCompressor /SOLID lzma\n"
            "SilentInstall silent\n"
            "RequestExecutionLevel user\n"
            "Name \"" << key << "\"\n"
            "OutFile \"" << folder << "/setup.exe\"\n"
            "InstallDir \"C:\\Tarvex\\Box\\games\\" << key << "\"\n"
            "VIProductVersion 1.0.0.0\n"
            "VIAddVersionKey /LANG=" << lang << " ProductName \"" << key << "\"\n"
            "VIAddVersionKey /LANG=" << lang << " FileDescription \"" << key << " setup\"\n"
            "VIAddVersionKey /LANG=" << lang << " FileVersion 1.0\n"
            "Section\n"
            "  SetOutPath \"$INSTDIR\"\n"
            // The icon first: the game's executable is what says "installed".
            "  File \"/oname=" << key << ".ico\" \"" << folder << "/game.ico\"\n"
            "  File \"/oname=" << key << ".exe\" \"" << folder << "/game.exe\"\n"
            "SectionEnd\n";
  return script.str();
}

// Runs makensis on `script`, its report going to `report`; its exit status, or -1.
int RunMakensis(const std::filesystem::path& script, const std::filesystem::path& report) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::string program = "makensis", quiet = "-V2", path = script.string();
  char* arguments[] = {program.data(), quiet.data(), path.data(), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, "makensis", &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

uint16_t WindowsLanguageId(const std::string& name) {
  if (name == "ko") return 0x0412;
  if (name == "zh-TW") return 0x0404;
  if (name == "zh-CN") return 0x0804;
  if (name == "ja") return 0x0411;
  return 0;
}

std::optional<std::string> BuildNsisInstaller(const std::string& key, const WindowsGame& game, const std::string& icon,
                                              std::string* error) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-nsis-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    *error = "cannot make a folder for makensis";
    return std::nullopt;
  }
  const std::filesystem::path folder(pattern);
  std::optional<std::string> installer;
  const std::filesystem::path script = folder / "setup.nsi", report = folder / "makensis.log";
  if (!WriteFile(folder / "game.exe", game.program) || !WriteFile(folder / "game.ico", icon) ||
      !WriteFile(script, Script(key, game.language, folder.string()))) {
    *error = "cannot write makensis's input in " + folder.string();
  } else if (const int status = RunMakensis(script, report); status != 0) {
    std::ifstream said(report);
    std::ostringstream text;
    text << said.rdbuf();
    *error = (status < 0 ? "cannot run makensis (Debian package nsis)" : "makensis failed for " + key) + "\n" +
             text.str();
  } else {
    std::ifstream built(folder / "setup.exe", std::ios::binary);
    std::ostringstream bytes;
    bytes << built.rdbuf();
    if (built.good() && !bytes.str().empty()) {
      installer = bytes.str();
    } else {
      *error = "makensis left no installer for " + key;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return installer;
}

}  // namespace portal
