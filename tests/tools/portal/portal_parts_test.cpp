// The portal's parts that need no socket: token table, fault specs, command line, log line,
// byte ranges.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "byte_range.h"
#include "fault_plan.h"
#include "fault_player.h"
#include "installer.h"
#include "portal_options.h"
#include "request_log.h"
#include "text_codec.h"
#include "token_table.h"

using namespace portal;

TEST(PortalTokenTable, BuiltinAnswersAreFlatJsonWithEscapedSlashesAndTheRequestHost) {
  const TokenTable table = TokenTable::Builtin();
  const std::string host = "127.0.0.1:8800";
  EXPECT_EQ(table.Answer("WEBGAME1", host),
            R"({"code":1,"url":"http:\/\/127.0.0.1:8800\/mini\/play\/web\/1001\/7\/%E9%BE%99%E4%B9%8B%E6%80%92\/dragonfans"})");
  EXPECT_EQ(table.Answer("CLIENTG1", host),
            R"({"code":2,"url":"http:\/\/127.0.0.1:8800\/game_play\/srv7\/hero\/%ED%9E%88%EC%96%B4%EB%A1%9C\/PARAMS123"})");
  EXPECT_EQ(table.Answer("NOGAME00", host), R"({"code":0})");
  EXPECT_EQ(table.Answer("STRCODE2", "h:1"),
            R"({"url":"http:\/\/h:1\/game_play\/srv7\/hero\/%ED%9E%88%EC%96%B4%EB%A1%9C\/PARAMS123","code":"2"})");
  EXPECT_FALSE(table.Answer("UNKNOWN1", host).has_value());
  EXPECT_EQ(table.Address("CLIENTG1", "x"), "http://x/game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/PARAMS123");
  EXPECT_EQ(table.Address("NOGAME00", "x"), "");
}

TEST(PortalTokenTable, ParsesFilesAndRejectsIncompleteLines) {
  std::string error;
  const auto table = TokenTable::Parse("# comment\r\n\nAAAAAAAA 1 http://{host}/mini/play/web/1/2/n/f\r\n"
                                       "BBBBBBBB text\nCCCCCCCC body {\"code\":7}\n",
                                       &error);
  ASSERT_TRUE(table) << error;
  EXPECT_EQ(table->Answer("AAAAAAAA", "h"), R"({"code":1,"url":"http:\/\/h\/mini\/play\/web\/1\/2\/n\/f"})");
  EXPECT_EQ(table->Answer("BBBBBBBB", "h"), R"({"code":"text"})");
  EXPECT_EQ(table->Answer("CCCCCCCC", "h"), R"({"code":7})");

  for (const char* bad : {"TOKEN\n", "TOKEN body\n", "TOKEN 1 /a /b\n"}) {
    error.clear();
    EXPECT_FALSE(TokenTable::Parse(bad, &error)) << bad;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  }
  EXPECT_FALSE(TokenTable::Load("/nonexistent/tokens.txt", &error));
}

TEST(PortalFaultSpecs, ParsesEveryModeAndRefusesMalformedOnes) {
  using Kind = Fault::Kind;
  struct Case {
    const char* text;
    Kind kind;
    uint64_t amount;
    uint64_t pause;
  };
  const Case valid[] = {
      {"delay:250", Kind::Delay, 250, 0},       {"delay", Kind::Delay, 1000, 0},
      {"status:404", Kind::Status, 404, 0},     {"500", Kind::Status, 500, 0},
      {"redirect", Kind::Redirect, 1, 0},       {"redirect:3", Kind::Redirect, 3, 0},
      {"redirect-loop", Kind::RedirectLoop, 0, 0}, {"oversize", Kind::Oversize, 10u << 20, 0},
      {"oversize:5000", Kind::Oversize, 5000, 0}, {"chunks", Kind::Pieces, 4, 200},
      {"chunks:3:50", Kind::Pieces, 3, 50},     {"reset", Kind::Reset, 0, 0},
      {"reset:100", Kind::Reset, 100, 0},       {"garbage", Kind::Garbage, 0, 0},
      {"cut:4096", Kind::Cut, 4096, 0},
      {"stall:1500", Kind::Stall, 1500, 0}};
  for (const Case& c : valid) {
    const auto fault = Fault::Parse(c.text);
    ASSERT_TRUE(fault) << c.text;
    EXPECT_EQ(fault->kind, c.kind) << c.text;
    EXPECT_EQ(fault->amount, c.amount) << c.text;
    EXPECT_EQ(fault->pause_ms, c.pause) << c.text;
  }
  for (const char* bad : {"", "bogus", "delay:x", "delay:-1", "status:99", "status:600", "42", "redirect:0",
                          "chunks:0", "redirect-loop:2", "garbage:1", "delay:1:2", "oversize:999999999999",
                          "delay:999999999"}) {
    EXPECT_FALSE(Fault::Parse(bad)) << bad;
  }
}

TEST(PortalFaultSpecs, QueryFaultWinsThenTheLongestPrefixAndRedirectsEndAfterTheirHops) {
  FaultPlan plan;
  ASSERT_TRUE(plan.AddRule("/tj=status:500"));
  ASSERT_TRUE(plan.AddRule("/tj/minclient=delay:10"));
  ASSERT_TRUE(plan.AddRule("/outapi=redirect:2"));
  EXPECT_FALSE(plan.AddRule("tj=delay"));
  EXPECT_FALSE(plan.AddRule("/tj"));
  EXPECT_FALSE(plan.AddRule("/tj=nonsense"));

  std::string error;
  EXPECT_EQ(plan.Find("/tj/minclient", "", 0, &error)->kind, Fault::Kind::Delay);
  EXPECT_EQ(plan.Find("/tj/other", "", 0, &error)->kind, Fault::Kind::Status);
  EXPECT_EQ(plan.Find("/tj/minclient", "garbage", 0, &error)->kind, Fault::Kind::Garbage);
  EXPECT_FALSE(plan.Find("/mini/index", "", 0, &error));
  EXPECT_TRUE(plan.Find("/outapi/x", "", 1, &error));
  EXPECT_FALSE(plan.Find("/outapi/x", "", 2, &error));
  EXPECT_TRUE(error.empty());
  EXPECT_FALSE(plan.Find("/mini", "what", 0, &error));
  EXPECT_EQ(error, "unknown fault \"what\"");

  EXPECT_EQ(FaultPlayer::NextHop("/a/b?x=1&redirect_hop=1&y=2", 1), "/a/b?x=1&y=2&redirect_hop=2");
  EXPECT_EQ(FaultPlayer::NextHop("/a/b", 0), "/a/b?redirect_hop=1");
}

TEST(PortalOptions, ReadsEveryOptionAndRefusesBadOnes) {
  std::string error;
  const auto defaults = PortalOptions::Parse({}, &error);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->port, 8800);
  EXPECT_TRUE(defaults->log_path.empty());

  const auto options = PortalOptions::Parse({"--port", "0", "--log", "l", "--tokens", "t", "--root", "r", "--fault",
                                             "/a=delay", "--fault", "/b=500", "--installer-pad", "1024",
                                             "--sha256", "hero=right", "--sha256", "jade=wrong"},
                                            &error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->port, 0);
  EXPECT_EQ(options->log_path, "l");
  EXPECT_EQ(options->tokens_path, "t");
  EXPECT_EQ(options->static_root, "r");
  EXPECT_EQ(options->fault_rules, (std::vector<std::string>{"/a=delay", "/b=500"}));
  EXPECT_EQ(options->installer_padding, 1024u);
  EXPECT_EQ(options->checksums, (std::vector<std::pair<std::string, bool>>{{"hero", true}, {"jade", false}}));

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--port"}, {"--port", "65536"}, {"--port", "x"}, {"--bogus", "1"}, {"stray"},
           {"--installer-pad", "268435457"}, {"--sha256", "hero"}, {"--sha256", "=right"}, {"--sha256", "hero=maybe"}}) {
    EXPECT_FALSE(PortalOptions::Parse(bad, &error)) << bad[0];
  }
}

TEST(PortalRequestLog, LineIsOneJsonObjectWithTheRawLineAndJoinedHeaders) {
  httplib::Request request;
  request.method = "GET";
  request.target = "/tj/minclient?game_id=&type=3&key=AB\"CD";
  request.path = "/tj/minclient";
  request.version = "HTTP/1.0";
  request.remote_addr = "127.0.0.1";
  request.remote_port = 4242;
  request.headers.emplace("Host", "127.0.0.1:8800");
  request.headers.emplace("X-Twice", "a");
  request.headers.emplace("x-twice", "b");
  request.headers.emplace("REMOTE_ADDR", "127.0.0.1");
  const std::string line = RequestLog::Line("T", "GET  /raw HTTP/1.0", request);
  EXPECT_EQ(line,
            R"({"time":"T","method":"GET","request_line":"GET  /raw HTTP/1.0","version":"HTTP/1.0",)"
            R"("path":"/tj/minclient","query":"game_id=&type=3&key=AB\"CD",)"
            R"("headers":{"Host":"127.0.0.1:8800","X-Twice":"a, b"},"remote":"127.0.0.1:4242","body_bytes":0})");
  EXPECT_EQ(RequestLog::RejectedLine("T", "bad\x01"), R"({"time":"T","rejected":true,"request_line":"bad\u0001"})");
}

TEST(PortalText, CodecsKeepOddInputIntact) {
  EXPECT_EQ(JsonQuote("a/b\\c\"\n", true), R"("a\/b\\c\"\n")");
  EXPECT_EQ(PercentDecode("%E9%BE%99%zz%4"), "龙%zz%4");
  EXPECT_EQ(PercentEncode("龙 a/b"), "%E9%BE%99%20a%2Fb");
  EXPECT_EQ(SplitFields("http://h/a//b", '/').size(), 6u);
  EXPECT_EQ(HtmlEscape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

TEST(PortalInstaller, AcceptsOnlyKeysThatAreSafeAsFileNamesAndScriptText) {
  for (const char* good : {"hero", "jade-2", "A.b_c"}) EXPECT_TRUE(Installer::IsValidKey(good)) << good;
  for (const char* bad : {"", ".", "..", "a/b", "a b", "a$b", "a'b", "a\nb", "a;b"}) {
    EXPECT_FALSE(Installer::IsValidKey(bad)) << bad;
  }
}

TEST(PortalByteRange, ServesOneSatisfiableRangeAndOtherwiseTheWholeAnswer) {
  Reply file = Reply::Text(200, "application/octet-stream", "0123456789");
  file.headers = {{"ETag", "\"v1\""}, {"Last-Modified", "Mon, 02 Jan 2006 15:04:05 GMT"}};
  const auto content_range = [](const Reply& reply) {
    for (const auto& [name, value] : reply.headers)
      if (name == "Content-Range") return value;
    return std::string("none");
  };
  const struct {
    std::string range, if_range;
    int status;
    std::string content_range, body;
  } cases[] = {
      {"bytes=2-", "", 206, "bytes 2-9/10", "23456789"},
      {"bytes=2-4", "", 206, "bytes 2-4/10", "234"},
      {"bytes=9-9", "", 206, "bytes 9-9/10", "9"},
      {"bytes=5-99", "", 206, "bytes 5-9/10", "56789"},  // the end is cut to the size
      {"bytes=2-", "\"v1\"", 206, "bytes 2-9/10", "23456789"},
      {"bytes=2-", "Mon, 02 Jan 2006 15:04:05 GMT", 206, "bytes 2-9/10", "23456789"},
      {"bytes=10-", "", 416, "bytes */10", ""},
      {"bytes=10-12", "", 416, "bytes */10", ""},
      // Another version, suffix and multiple ranges, malformed ones: the whole answer.
      {"bytes=10-", "\"v0\"", 200, "none", "0123456789"},
      {"bytes=2-", "\"v0\"", 200, "none", "0123456789"},
      {"bytes=-3", "", 200, "none", "0123456789"},
      {"bytes=0-1,5-9", "", 200, "none", "0123456789"},
      {"", "", 200, "none", "0123456789"},
      {"bits=2-", "", 200, "none", "0123456789"},
      {"bytes=4-2", "", 200, "none", "0123456789"},
      {"bytes=2", "", 200, "none", "0123456789"},
      {"bytes= 2-", "", 200, "none", "0123456789"},
      {"bytes=2-4x", "", 200, "none", "0123456789"},
      {"bytes=99999999999999999999-", "", 200, "none", "0123456789"},
  };
  for (const auto& c : cases) {
    const Reply answer = ByteRange::Apply(file, c.range, c.if_range);
    EXPECT_EQ(answer.status, c.status) << c.range << " | " << c.if_range;
    EXPECT_EQ(content_range(answer), c.content_range) << c.range << " | " << c.if_range;
    EXPECT_EQ(answer.Body(), c.body) << c.range << " | " << c.if_range;
  }
  // Only a whole answer has ranges.
  EXPECT_EQ(ByteRange::Apply(Reply::Text(404, "text/plain", "gone"), "bytes=1-", "").Body(), "gone");
}
