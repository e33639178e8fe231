// tarvex-portal: the reference portal the launcher talks to (README.md).
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fault_plan.h"
#include "icon_image.h"
#include "installer.h"
#include "nsis_installer.h"
#include "portal_options.h"
#include "portal_router.h"
#include "portal_server.h"
#include "request_log.h"
#include "token_table.h"

namespace {

// The whole of a file; false when it cannot be read or is empty.
bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  *bytes = all.str();
  return in.good() && !bytes->empty();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace portal;
  std::string error;
  const auto options = PortalOptions::Parse(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::fprintf(stderr, "tarvex-portal: %s\n%s", error.c_str(), PortalOptions::Usage());
    return 2;
  }
  if (options->help) {
    std::fputs(PortalOptions::Usage(), stdout);
    return 0;
  }
  auto tokens = options->tokens_path.empty() ? TokenTable::Builtin() : TokenTable::Load(options->tokens_path, &error);
  FaultPlan faults;
  for (const std::string& rule : options->fault_rules) {
    if (!faults.AddRule(rule)) error = "bad --fault " + rule + " (PATH_PREFIX=MODE, see README.md)";
  }
  RequestLog log;
  if (error.empty() && !options->log_path.empty() && !log.Open(options->log_path)) {
    error = "cannot open the log " + options->log_path;
  }
  // Each Windows game's installer is built once, before the portal answers.
  std::vector<std::pair<std::string, std::shared_ptr<const std::string>>> windows_setups;
  for (const auto& [key, language] : options->windows_games) {
    if (!error.empty()) break;
    WindowsGame game{std::string(), WindowsLanguageId(language)};
    const std::string program = options->windows_programs + "/game-" + language + ".exe";
    if (!Installer::IsValidKey(key)) {
      error = "bad --windows key " + key;
    } else if (!ReadFile(program, &game.program)) {
      error = "cannot read " + program;
    } else if (auto setup = BuildNsisInstaller(key, game, IconImage::ForKey(key), &error)) {
      windows_setups.emplace_back(key, std::make_shared<const std::string>(std::move(*setup)));
    }
  }
  if (!tokens || !error.empty()) {
    std::fprintf(stderr, "tarvex-portal: %s\n", error.c_str());
    return 2;
  }

  // SIGTERM and SIGINT are taken by this thread alone (sigwait); every other thread
  // inherits the blocked mask. Writes to closed sockets report errors instead of SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  PortalRouter router(std::move(*tokens), options->static_root, options->installer_padding);
  for (const std::string& rule : options->click_rules) {
    const size_t at = rule.find('=');
    router.AddClick(rule.substr(0, at), rule.substr(at + 1));
  }
  for (const auto& [key, right] : options->checksums) router.AddChecksum(key, right);
  for (auto& [key, setup] : windows_setups) router.AddWindowsGame(key, std::move(setup));
  PortalServer server(std::move(router),
                      std::move(faults), log);
  const int port = server.Bind(options->port, &error);
  if (port < 0) {
    std::fprintf(stderr, "tarvex-portal: %s\n", error.c_str());
    return 1;
  }
  std::thread serving([&server] { server.Run(); });
  std::printf("listening on 127.0.0.1:%d\n", port);
  std::fflush(stdout);

  int received = 0;
  sigwait(&stop_signals, &received);
  server.Stop();
  serving.join();
  return 0;
}
