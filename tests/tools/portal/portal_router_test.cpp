// Every route of the portal, answered without a socket.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "portal_router.h"
#include "text_codec.h"

using namespace portal;

namespace {

httplib::Request MakeRequest(const std::string& method, const std::string& target) {
  httplib::Request request;
  request.method = method;
  request.target = target;
  request.version = "HTTP/1.1";
  request.path = PercentDecode(TargetPath(target));
  const size_t mark = target.find('?');
  if (mark != std::string::npos) {
    for (const std::string& pair : SplitFields(target.substr(mark + 1), '&')) {
      const size_t equals = pair.find('=');
      request.params.emplace(PercentDecode(pair.substr(0, equals)),
                             equals == std::string::npos ? "" : PercentDecode(pair.substr(equals + 1)));
    }
  }
  return request;
}

const PortalRouter& Router() {
  static const PortalRouter router(TokenTable::Builtin(), "", 0);
  return router;
}

}  // namespace

TEST(PortalRouter, AnswersEveryRouteWithItsPage) {
  struct Case {
    const char* method;
    const char* target;
    int status;
    std::vector<std::string> contains;
  };
  const std::string dragon = "/mini/play/web/1001/7/%E9%BE%99%E4%B9%8B%E6%80%92/dragonfans";
  const Case cases[] = {
      // The index carries every marker the main window routes on.
      {"GET", "/mini/index", 200,
       {"id=\"login-link\" class=\"btn\" href=\"/mini/login\"", "href=\"" + dragon + "\"", "id=\"featured-play\"",
        "/game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/PARAMS123", "kobutarget=_blank",
        "window.open('" + dragon + "')", "id=\"news-frame\" class=\"ticker\" src=\"/mini/frame/news\""}},
      {"GET", "/mini/index/", 200, {"id=\"popup-play\"", "id=\"recharge-link\""}},
      {"HEAD", "/mini/index/", 200, {}},
      {"GET", "/mini/frame/news", 200, {"id=\"frame-news-link\" href=\"/mini/news?id=3&amp;kobutarget=_blank\""}},
      {"GET", "/mini/server_inf_data/?key=WEBGAME1", 200,
       {"<code id=\"token\">WEBGAME1</code>", "id=\"continue-play\" class=\"btn gold\" href=\"" + dragon + "\""}},
      {"GET", "/mini/server_inf_data/?key=CLIENTG1", 200, {"href=\"/game_play/srv7/hero/"}},
      {"GET", "/mini/server_inf_data/?key=%3Cb%3E", 200, {"&lt;b&gt;", "href=\"/mini/index\""}},
      {"GET", "/mini/servers/1001", 200, {"龙之怒", "id=\"server-8\" href=\"/mini/play/web/1001/8/"}},
      {"GET", "/mini/servers/121", 200, {"Game 121", "/mini/play/web/121/1/Game%20121/"}},
      {"GET", "/mini/servers/1%22%3E%3Cs%3E", 200, {"href=\"/mini/play/web/1%22%3E%3Cs%3E/8/", "Game 1&quot;&gt;&lt;s&gt;"}},
      {"GET", "/mini/pay_app/?order=5\"", 200,
       {"<code id=\"pay-order\">order=5&quot;</code>", "action=\"/pay/index/\"", "href=\"/pay/index/?ok=0\""}},
      {"GET", "/payment/app_pay?game_id=1001&server_id=7&status=2", 200,
       {"游戏直购", "game_id=1001&amp;server_id=7&amp;status=2", "id=\"pay-submit\""}},
      {"GET", "/payment/esafe_webatm?game_id=1001&server_id=7", 200, {"网银充值"}},
      {"GET", "/pay/index/?ok=1", 200, {"支付成功"}},
      {"GET", "/pay/index/?ok=0", 200, {"支付已取消"}},
      {"GET", "/mini/login?status=2", 200,
       {"Tarvex 계정 로그인", "action=\"/mini/login/submit\" method=\"post\"", "href=\"/mini/index/?login=cancel\""}},
      {"GET", "/mini/news?id=3&kobutarget=_blank", 200, {"id=\"news-title\""}},
      {"GET", "/service/online", 200, {"id=\"service-title\""}},
      {"GET", dragon.c_str(), 200, {}},
      {"GET", "/mini/play/frame/leaderboard?game_id=1001", 200, {"id=\"leaderboard\" data-game=\"1001\""}},
      {"GET", "/game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/PARAMS123", 200,
       {"<h2 id=\"client-game-name\">히어로</h2>", "<code>hero</code>"}},
      {"GET", "/tj/minclient?game_id=&type=3&key=ABCDEFGH", 200, {"ok"}},
      {"GET", "/outapi/game_get_box_url/?key=WEBGAME1", 200, {R"({"code":1,"url":"http:\/\/h:1\/mini\/play\/)"}},
      {"GET", "/outapi/game_get_box_url?key=NOGAME00", 200, {R"({"code":0})"}},
      {"GET", "/outapi/game_get_box_url/?key=UNKNOWN9", 404, {}},
      {"GET", "/outapi/game_get_box_url/?key=", 404, {}},
      {"GET", "/favicon.ico", 200, {}},
      {"GET", "/nowhere/<x>", 404, {"&lt;x&gt;"}},
      {"PUT", "/mini/index", 405, {}},
  };
  for (const Case& c : cases) {
    const Reply reply = Router().Route(MakeRequest(c.method, c.target), "h:1");
    EXPECT_EQ(reply.status, c.status) << c.target;
    const std::string body = reply.Body();
    EXPECT_EQ(body.size(), reply.size) << c.target;
    for (const std::string& expected : c.contains) {
      EXPECT_NE(body.find(expected), std::string::npos) << c.target << " lacks " << expected;
    }
  }
}

TEST(PortalRouter, GamePageTakesItsFieldsFromTheAddress) {
  // Fields 6 to 9: game id, server id, percent-encoded name, fan page.
  const Reply reply =
      Router().Route(MakeRequest("GET", "/mini/play/web/1001/7/%E9%BE%99%E4%B9%8B%E6%80%92/dragonfans?v=2"), "h");
  const std::string body = reply.Body();
  EXPECT_NE(body.find("<title>龙之怒 · 7服</title>"), std::string::npos);
  EXPECT_NE(body.find("data-game-id=\"1001\" data-server-id=\"7\" data-fan-page=\"dragonfans\""), std::string::npos);
  EXPECT_NE(body.find("window.open('/payment/app_pay?game_id=1001&server_id=7')"), std::string::npos);
  EXPECT_NE(body.find("id=\"game-canvas\""), std::string::npos);
  EXPECT_NE(body.find("src=\"/mini/play/frame/leaderboard?game_id=1001\""), std::string::npos);
  EXPECT_NE(body.find("href=\"/mini/index\""), std::string::npos);  // the game window keeps its page

  // Script injection through the fields is neutralised; missing fields still give a page.
  const std::string hostile = Router().Route(MakeRequest("GET", "/mini/play/web/1');alert(1)//x/%3Cs%3E/f"), "h").Body();
  EXPECT_EQ(hostile.find("1');alert"), std::string::npos);
  EXPECT_EQ(hostile.find("<s>"), std::string::npos);
  EXPECT_EQ(Router().Route(MakeRequest("GET", "/mini/play/"), "h").status, 200);
}

TEST(PortalRouter, SignInSetsTheUserAndReturnsThroughAnIndexAddress) {
  httplib::Request request = MakeRequest("POST", "/mini/login/submit");
  request.params.emplace("user", "김 player");
  const Reply reply = Router().Route(request, "h");
  EXPECT_EQ(reply.status, 302);
  ASSERT_EQ(reply.headers.size(), 2u);
  EXPECT_EQ(reply.headers[0].second, "/mini/index/?login=%EA%B9%80%20player");
  EXPECT_EQ(reply.headers[1].second, "tarvex_user=%EA%B9%80%20player; Path=/");

  httplib::Request index = MakeRequest("GET", "/mini/index");
  index.headers.emplace("Cookie", "a=b; tarvex_user=%EA%B9%80%20player");
  EXPECT_NE(Router().Route(index, "h").Body().find("<span id=\"user-name\" class=\"user\">김 player</span>"),
            std::string::npos);
}

TEST(PortalRouter, ServesStaticFilesOnlyFromInsideItsRoot) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "tarvex-portal-root-test";
  std::filesystem::create_directories(root / "extra");
  std::ofstream(root / "extra" / "frame.html") << "<p>frame</p>";
  std::ofstream(root.parent_path() / "tarvex-portal-secret.txt") << "secret";
  const PortalRouter router(TokenTable::Builtin(), root.string(), 0);

  const Reply page = router.Route(MakeRequest("GET", "/extra/frame.html"), "h");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(page.Body(), "<p>frame</p>");
  EXPECT_EQ(router.Route(MakeRequest("GET", "/../tarvex-portal-secret.txt"), "h").status, 404);
  EXPECT_EQ(router.Route(MakeRequest("GET", "/extra/%2E%2E/%2E%2E/tarvex-portal-secret.txt"), "h").status, 404);
  EXPECT_EQ(router.Route(MakeRequest("GET", "/extra"), "h").status, 404);
  EXPECT_EQ(router.Route(MakeRequest("GET", "/" + (root.parent_path() / "tarvex-portal-secret.txt").string()), "h").status,
            404);
  std::filesystem::remove(root / "extra" / "link.txt");
  std::filesystem::create_symlink(root.parent_path() / "tarvex-portal-secret.txt", root / "extra" / "link.txt");
  EXPECT_EQ(router.Route(MakeRequest("GET", "/extra/link.txt"), "h").status, 404);
  std::filesystem::remove_all(root);
  std::filesystem::remove(root.parent_path() / "tarvex-portal-secret.txt");
}

TEST(PortalRouter, ClicksTheChosenElementOnlyOnPagesUnderItsLongestPrefix) {
  PortalRouter router(TokenTable::Builtin(), "", 0);
  router.AddClick("/mini/", "nav-home");
  router.AddClick("/mini/index", "login-link\"</script>");
  const std::string index = router.Route(MakeRequest("GET", "/mini/index/"), "127.0.0.1:1").Body();
  EXPECT_NE(index.find(R"(getElementById("login-link\"<\/script>"))"), std::string::npos);
  EXPECT_EQ(index.find("nav-home\")"), std::string::npos);
  EXPECT_LT(index.find("target.click()"), index.rfind("</body>"));

  EXPECT_NE(router.Route(MakeRequest("GET", "/mini/news"), "127.0.0.1:1").Body().find(R"(getElementById("nav-home"))"), std::string::npos);
  // Only pages: answers the launcher parses stay as they are.
  router.AddClick("/", "anything");
  EXPECT_EQ(router.Route(MakeRequest("GET", "/tj/minclient?type=3"), "h").Body(), "ok\n");
  EXPECT_EQ(router.Route(MakeRequest("GET", "/outapi/game_get_box_url/?key=NOGAME00"), "h").Body(), "{\"code\":0}");
}
