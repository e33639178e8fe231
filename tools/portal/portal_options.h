// The portal's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace portal {

struct PortalOptions {
  int port = 8800;
  std::string log_path;     // empty: no request log
  std::string tokens_path;  // empty: the built-in token table
  std::string static_root;  // empty: no static files
  std::vector<std::string> fault_rules;
  std::vector<std::string> click_rules;  // PATH_PREFIX=ELEMENT_ID
  std::vector<std::pair<std::string, bool>> checksums;  // installer key, whether its sum is right
  uint64_t installer_padding = 0;
  // Keys whose installer is a real Windows installer, each with its game's language
  // ("ko" unless --windows KEY=LANGUAGE says otherwise).
  std::vector<std::pair<std::string, std::string>> windows_games;
  std::string windows_programs;  // folder of game-LANGUAGE.exe, as the build makes them
  bool help = false;

  // Nothing, with *error set, for an unknown option or a bad value.
  static std::optional<PortalOptions> Parse(const std::vector<std::string>& arguments, std::string* error);
  static const char* Usage();
};

}  // namespace portal
