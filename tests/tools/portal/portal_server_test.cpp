// The real tarvex-portal over real sockets: start-up, the request log, the game-address
// answer, malformed input and shutdown.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <thread>

#include "portal_instance.h"
#include "raw_http.h"

namespace {

class PortalServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_portal = new PortalInstance(); }
  static void TearDownTestSuite() {
    delete s_portal;
    s_portal = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(s_portal->Started()) << s_portal->Banner(); }
  static int Port() { return s_portal->Port(); }

  static PortalInstance* s_portal;
};

PortalInstance* PortalServer::s_portal = nullptr;

}  // namespace

TEST_F(PortalServer, PrintsExactlyOneLineWithItsAddressOnAFreePort) {
  EXPECT_EQ(s_portal->Banner(), "listening on 127.0.0.1:" + std::to_string(Port()) + "\n");
  // A second instance on port 0 runs alongside.
  PortalInstance second;
  ASSERT_TRUE(second.Started());
  EXPECT_NE(second.Port(), Port());
  EXPECT_EQ(Get(second.Port(), "/tj/minclient").Status(), 200);
}

TEST_F(PortalServer, LogsTheRequestLineExactlyAsSent) {
  // The launcher's ping: HTTP/1.0, its user agent and its form content type.
  const RawExchange ping = Exchange(Port(),
                                    "GET /tj/minclient?game_id=&type=3&key=ABCDEFGH HTTP/1.0\r\n"
                                    "Host: 127.0.0.1:8800\r\nUser-Agent: NimboClient\r\n"
                                    "Content-Type: application/x-www-form-urlencoded;charset=UTF-8\r\n\r\n");
  EXPECT_EQ(ping.Status(), 200);
  // A target the library would not take as is (two '?') and a doubled blank.
  EXPECT_EQ(Exchange(Port(), "GET /mini/play/web/1/2/n/f?a=1?v=2 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
                .Status(),
            200);
  EXPECT_EQ(Exchange(Port(), "GET  /tj/minclient HTTP/1.0\r\n\r\n").Status(), 200);

  const std::vector<std::string> lines = s_portal->LogLines();
  const auto logged = [&](const std::string& part) {
    for (const std::string& line : lines) {
      if (line.find(part) != std::string::npos) return line;
    }
    return std::string();
  };
  const std::string line = logged(R"("request_line":"GET /tj/minclient?game_id=&type=3&key=ABCDEFGH HTTP/1.0")");
  ASSERT_FALSE(line.empty());
  EXPECT_EQ(line.front(), '{');
  EXPECT_EQ(line.back(), '}');
  EXPECT_NE(line.find(R"("time":")"), std::string::npos);
  EXPECT_NE(line.find(R"("method":"GET")"), std::string::npos);
  EXPECT_NE(line.find(R"("path":"/tj/minclient","query":"game_id=&type=3&key=ABCDEFGH")"), std::string::npos);
  EXPECT_NE(line.find(R"("Content-Type":"application/x-www-form-urlencoded;charset=UTF-8")"), std::string::npos);
  EXPECT_NE(line.find(R"("Host":"127.0.0.1:8800")"), std::string::npos);
  EXPECT_NE(line.find(R"("User-Agent":"NimboClient")"), std::string::npos);
  EXPECT_FALSE(logged(R"("request_line":"GET /mini/play/web/1/2/n/f?a=1?v=2 HTTP/1.1")").empty());
  EXPECT_FALSE(logged(R"("request_line":"GET  /tj/minclient HTTP/1.0")").empty());
}

TEST_F(PortalServer, GameAddressAnswerUsesTheHostTheClientAddressed) {
  const RawExchange web = Get(Port(), "/outapi/game_get_box_url/?key=WEBGAME1");
  EXPECT_EQ(web.Status(), 200);
  EXPECT_EQ(web.Header("Content-Type"), "application/json");
  EXPECT_EQ(web.Body(), R"({"code":1,"url":"http:\/\/127.0.0.1:)" + std::to_string(Port()) +
                            R"(\/mini\/play\/web\/1001\/7\/%E9%BE%99%E4%B9%8B%E6%80%92\/dragonfans"})");
  // Answers are sent as they are, never compressed, whatever the client accepts.
  const RawExchange client = Get(Port(), "/outapi/game_get_box_url/?key=CLIENTG1", "Accept-Encoding: gzip, br\r\n");
  EXPECT_EQ(client.Header("Content-Encoding"), "");
  EXPECT_EQ(client.Body(), R"({"code":2,"url":"http:\/\/127.0.0.1:)" + std::to_string(Port()) +
                               R"(\/game_play\/srv7\/hero\/%ED%9E%88%EC%96%B4%EB%A1%9C\/PARAMS123"})");
  EXPECT_EQ(Get(Port(), "/outapi/game_get_box_url/?key=NOGAME00").Body(), R"({"code":0})");
  EXPECT_EQ(Get(Port(), "/outapi/game_get_box_url/?key=UNKNOWN9").Status(), 404);
}

TEST_F(PortalServer, TakesATokenTableFromAFile) {
  std::ofstream(s_portal->Folder() + "/tokens.txt") << "ZZZZZZZZ 1 /mini/play/web/5/6/n/f\n";
  PortalInstance custom({"--tokens", s_portal->Folder() + "/tokens.txt"});
  ASSERT_TRUE(custom.Started());
  EXPECT_EQ(Get(custom.Port(), "/outapi/game_get_box_url/?key=ZZZZZZZZ").Body(),
            R"({"code":1,"url":"http:\/\/127.0.0.1:)" + std::to_string(custom.Port()) +
                R"(\/mini\/play\/web\/5\/6\/n\/f"})");
  EXPECT_EQ(Get(custom.Port(), "/outapi/game_get_box_url/?key=WEBGAME1").Status(), 404);
}

TEST_F(PortalServer, AnswersMalformedInputWithCleanErrorsAndKeepsServing) {
  struct Case {
    std::string bytes;
    int status;
  };
  const Case cases[] = {
      {"garbage\r\n\r\n", 400},
      {"GET /x HTTP/9.9\r\n\r\n", 400},
      {"BREW /pot HTTP/1.1\r\n\r\n", 400},
      {"GET /" + std::string(20000, 'a') + " HTTP/1.0\r\n\r\n", 414},
      {"GET /%zz%00 HTTP/1.0\r\n\r\n", 404},
      {"GET /tj/minclient HTTP/1.0\r\nX-Long: " + std::string(9000, 'b') + "\r\n\r\n", 400},
      {"POST /mini/login/submit HTTP/1.0\r\nContent-Length: 5\r\n\r\nuser=", 302},
      {"DELETE /mini/index HTTP/1.0\r\n\r\n", 405},
      {std::string("\x16\x03\x01\x00\xff\r\n\r\n", 9), 400},
  };
  for (const Case& c : cases) {
    const RawExchange answer = Exchange(Port(), c.bytes);
    EXPECT_EQ(answer.Status(), c.status) << c.bytes.substr(0, 40);
  }
  // A client that connects and says nothing, or half a line, does not hold anything up.
  std::thread silent([] { Exchange(Port(), "GET /tj/minc", 1500); });
  EXPECT_EQ(Get(Port(), "/tj/minclient").Status(), 200);
  silent.join();
  bool rejected_logged = false;
  for (const std::string& line : s_portal->LogLines()) {
    rejected_logged |= line.find(R"("rejected":true,"request_line":"garbage")") != std::string::npos;
  }
  EXPECT_TRUE(rejected_logged);
}

TEST_F(PortalServer, StopsCleanlyOnSigtermEvenWhileAConnectionStalls) {
  PortalInstance portal;
  ASSERT_TRUE(portal.Started());
  std::thread stalled([&] { Get(portal.Port(), "/tj/minclient?fault=stall:60000"); });
  ASSERT_TRUE(portal.WaitForLogLines(1));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(portal.Stop(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  stalled.join();
}
