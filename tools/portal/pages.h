// The portal's HTML pages. Their texts are the files in pages/, built into the portal;
// each function here fills in its page's values. Every page is self-contained (styles and
// scripts inline) and sized for the launcher's 1320 x 782 browser area; the pay pages
// also fit the pay window's 800 x 612 and the login page its 420 x 560. Elements that
// tests click carry stable ids (listed in README.md).
#pragma once

#include <string>

namespace portal::pages {

std::string Index(const std::string& user);
// gameAddress: the address the token leads to, empty when none.
std::string ServerInfo(const std::string& token, const std::string& gameAddress);
std::string Servers(const std::string& gameId);
// order: the raw order text of the page's address; title: what is being paid.
std::string Pay(const std::string& title, const std::string& order);
std::string PayResult(bool paid);
std::string Login();
std::string SignedIn(const std::string& user);
std::string News();
std::string NewsFrame();
std::string ClientGame(const std::string& gameKey, const std::string& gameName);
std::string Service();
std::string Leaderboard(const std::string& gameId);
std::string NotFound(const std::string& path);

}  // namespace portal::pages
