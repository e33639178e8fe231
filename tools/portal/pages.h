// The portal's HTML pages. Every page is self-contained (styles and scripts inline) and
// sized for the launcher's 1320 x 782 browser area; the pay pages also fit the pay
// window's 800 x 612 and the login page its 420 x 560. Elements that tests click carry
// stable ids (listed in README.md).
#pragma once

#include <string>

#include "game_info.h"

namespace portal {

class Pages {
 public:
  static std::string Index(const std::string& user);
  // game_address: the address the token leads to, empty when none.
  static std::string ServerInfo(const std::string& token, const std::string& game_address);
  static std::string Servers(const std::string& game_id);
  // order: the raw order text of the page's address; title: what is being paid.
  static std::string Pay(const std::string& title, const std::string& order);
  static std::string PayResult(bool paid);
  static std::string Login();
  static std::string SignedIn(const std::string& user);
  static std::string News();
  static std::string NewsFrame();
  static std::string ClientGame(const std::string& game_key, const std::string& game_name);
  static std::string Service();
  static std::string Leaderboard(const std::string& game_id);
  static std::string NotFound(const std::string& path);

};

}  // namespace portal
