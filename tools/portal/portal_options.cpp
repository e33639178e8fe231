#include "portal_options.h"

#include <charconv>

#include "nsis_installer.h"

namespace portal {

namespace {

bool ToNumber(const std::string& text, uint64_t limit, uint64_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value <= limit;
}

}  // namespace

const char* PortalOptions::Usage() {
  return "usage: tarvex-portal [--port P] [--log FILE] [--tokens FILE] [--root DIR]\n"
         "                     [--fault PATH_PREFIX=MODE]... [--click PATH_PREFIX=ELEMENT_ID]...\n"
         "                     [--installer-pad BYTES] [--sha256 KEY=right|wrong]...\n"
         "                     [--windows-programs DIR --windows KEY[=LANGUAGE]...]\n"
         "Serves the Tarvex reference portal on 127.0.0.1 (port 8800 by default, 0 picks a free one).\n"
         "See tools/portal/README.md for the routes, the token table and the fault modes.\n";
}

std::optional<PortalOptions> PortalOptions::Parse(const std::vector<std::string>& arguments, std::string* error) {
  PortalOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      *error = name.starts_with("--") ? name + " needs a value" : "unexpected argument " + name;
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    uint64_t number = 0;
    if (name == "--port") {
      if (!ToNumber(value, 65535, &number)) {
        *error = "--port needs a number from 0 to 65535";
        return std::nullopt;
      }
      options.port = static_cast<int>(number);
    } else if (name == "--log") {
      options.log_path = value;
    } else if (name == "--tokens") {
      options.tokens_path = value;
    } else if (name == "--root") {
      options.static_root = value;
    } else if (name == "--fault") {
      options.fault_rules.push_back(value);
    } else if (name == "--click") {
      if (value.find('=') == std::string::npos) {
        *error = "--click needs PATH_PREFIX=ELEMENT_ID";
        return std::nullopt;
      }
      options.click_rules.push_back(value);
    } else if (name == "--sha256") {
      const size_t at = value.find('=');
      const std::string sum = at == std::string::npos ? std::string() : value.substr(at + 1);
      if (at == 0 || (sum != "right" && sum != "wrong")) {
        *error = "--sha256 needs KEY=right or KEY=wrong";
        return std::nullopt;
      }
      options.checksums.emplace_back(value.substr(0, at), sum == "right");
    } else if (name == "--installer-pad") {
      if (!ToNumber(value, 256ull << 20, &number)) {
        *error = "--installer-pad needs a number of bytes up to 268435456";
        return std::nullopt;
      }
      options.installer_padding = number;
    } else if (name == "--windows") {
      const size_t at = value.find('=');
      const std::string language = at == std::string::npos ? "ko" : value.substr(at + 1);
      if (at == 0 || WindowsLanguageId(language) == 0) {
        *error = "--windows needs KEY or KEY=LANGUAGE, LANGUAGE one of ko, zh-TW, zh-CN, ja";
        return std::nullopt;
      }
      options.windows_games.emplace_back(value.substr(0, at), language);
    } else if (name == "--windows-programs") {
      options.windows_programs = value;
    } else {
      *error = "unknown option " + name;
      return std::nullopt;
    }
  }
  if (!options.windows_games.empty() && options.windows_programs.empty()) {
    *error = "--windows needs --windows-programs DIR";
    return std::nullopt;
  }
  return options;
}

}  // namespace portal
