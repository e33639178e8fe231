#include "pages.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "game_info.h"
#include "page_texts.h"
#include "text_codec.h"

namespace portal::pages {

using namespace page_texts;

namespace {

// A page text's placeholders and their values.
using Values = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// The text with every {{name}} replaced by its value. Values go in as they are (escaping
// them is up to the caller) and are never searched for placeholders themselves, so a
// user named "{{token}}" is shown as written. A name without a value stays as written.
std::string Fill(std::string_view text, Values values) {
  std::string filled;
  size_t from = 0;
  size_t open = 0;
  size_t close = 0;
  while ((open = text.find("{{", from)) != std::string_view::npos &&
         (close = text.find("}}", open + 2)) != std::string_view::npos) {
    const std::string_view name = text.substr(open + 2, close - open - 2);
    const auto value =
        std::find_if(values.begin(), values.end(), [name](const auto& entry) { return entry.first == name; });
    filled += text.substr(from, open - from);
    filled += value == values.end() ? text.substr(open, close + 2 - open) : value->second;
    from = close + 2;
  }
  filled += text.substr(from);
  return filled;
}

// Every page shares the look of style.css: the launcher's chrome is RGB(38,38,48); panels
// a step lighter, gold for titles (as the game window's title), teal for actions. A page's
// own styles follow it.
std::string Layout(std::string_view title, std::string_view body, std::string_view pageStyle = {}) {
  return Fill(kLayoutHtml,
              {{"title", HtmlEscape(title)}, {"site_style", kStyleCss}, {"page_style", pageStyle}, {"body", body}});
}

// account: what the bar shows at its right end (the index page's sign-in); none elsewhere.
std::string TopBar(std::string_view account = {}) { return Fill(kTopBarHtml, {{"account", account}}); }

}  // namespace

std::string Index(const std::string& user) {
  const std::string account =
      user.empty() ? std::string(kIndexSignInHtml) : Fill(kIndexUserHtml, {{"user", HtmlEscape(user)}});
  const std::string body = Fill(kIndexHtml, {{"top_bar", TopBar(account)},
                                             {"dragon", GameInfo::Known("1001", "7").PlayPath()},
                                             {"harbor", GameInfo::Known("1002", "3").PlayPath()}});
  return Layout("Tarvex 游戏中心", body, kIndexCss);
}

std::string ServerInfo(const std::string& token, const std::string& gameAddress) {
  std::string next;
  if (gameAddress.empty()) {
    next = kServerInfoNoGameHtml;
  } else {
    // Only the path is linked, so the page works under any host name.
    const size_t path = gameAddress.find('/', gameAddress.find("//") + 2);
    next = Fill(kServerInfoGameHtml,
                {{"game_path", HtmlEscape(gameAddress.substr(path == std::string::npos ? gameAddress.size() : path))}});
  }
  return Layout("服务器信息",
                Fill(kServerInfoHtml, {{"top_bar", TopBar()}, {"token", HtmlEscape(token)}, {"next", next}}));
}

std::string Servers(const std::string& gameId) {
  static const char* kServerNames[] = {"烈焰峡谷", "寒冰王座", "星辰之海", "雷霆山脉", "幽暗密林", "黄金沙丘", "天空之城", "龙脊要塞"};
  const GameInfo game = GameInfo::Known(gameId, "1");
  std::string links;
  for (int server = 8; server >= 1; --server) {
    GameInfo onServer = game;
    onServer.server = std::to_string(server);
    const bool fresh = server == 8;
    links += Fill(kServerLinkHtml, {{"server", onServer.server},
                                    {"play_path", onServer.PlayPath()},
                                    {"server_name", kServerNames[server - 1]},
                                    {"state", fresh ? "new" : "ok"},
                                    {"state_text", fresh ? "新服" : "流畅"}});
  }
  const std::string body =
      Fill(kServersHtml, {{"top_bar", TopBar()}, {"game_name", HtmlEscape(game.name)}, {"servers", links}});
  return Layout("服务器列表", body, kServersCss);
}

std::string Pay(const std::string& title, const std::string& order) {
  return Layout("Tarvex 支付", Fill(kPayHtml, {{"title", HtmlEscape(title)}, {"order", HtmlEscape(order)}}), kPayCss);
}

std::string PayResult(bool paid) {
  return Layout("支付结果",
                Fill(kPayResultHtml, {{"top_bar", TopBar()}, {"result", paid ? "支付成功" : "支付已取消"}}));
}

std::string Login() { return Layout("Tarvex 계정 로그인", kLoginHtml, kLoginCss); }

std::string SignedIn(const std::string& user) {
  return Layout("登录成功", Fill(kSignedInHtml, {{"top_bar", TopBar()}, {"user", HtmlEscape(user)}}));
}

std::string News() { return Layout("新闻", Fill(kNewsHtml, {{"top_bar", TopBar()}})); }

std::string NewsFrame() { return Layout("公告", kNewsFrameHtml, kNewsFrameCss); }

std::string ClientGame(const std::string& gameKey, const std::string& gameName) {
  const std::string body = Fill(
      kClientGameHtml, {{"top_bar", TopBar()}, {"game_name", HtmlEscape(gameName)}, {"game_key", HtmlEscape(gameKey)}});
  return Layout(gameName, body);
}

std::string Service() { return Layout("在线客服", Fill(kServiceHtml, {{"top_bar", TopBar()}})); }

std::string Leaderboard(const std::string& gameId) {
  static const char* kPlayers[] = {"烈焰之心", "夜行者", "Aria", "风之子", "DragonKing"};
  std::string rows;
  for (int i = 0; i < 5; ++i) {
    rows += Fill(kLeaderboardRowHtml, {{"rank", std::to_string(i + 1)},
                                       {"player", kPlayers[i]},
                                       {"score", std::to_string(9800 - i * 1370)}});
  }
  return Layout("排行榜", Fill(kLeaderboardHtml, {{"game_id", HtmlEscape(gameId)}, {"rows", rows}}),
                kLeaderboardCss);
}

std::string NotFound(const std::string& path) {
  return Layout("404", Fill(kNotFoundHtml, {{"top_bar", TopBar()}, {"path", HtmlEscape(path)}}));
}

}  // namespace portal::pages
