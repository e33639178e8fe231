// Every fault mode of the real portal, asked for by query and by command-line rule.
#include <gtest/gtest.h>

#include "portal_instance.h"
#include "raw_http.h"

using namespace std::chrono_literals;

namespace {

class PortalFaults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_portal = new PortalInstance({"--fault", "/tj/minclient=status:500", "--fault", "/outapi=delay:300", "--fault",
                                   "/mini/servers=redirect:2", "--fault", "/games/jade/=cut:1000"});
  }
  static void TearDownTestSuite() {
    delete s_portal;
    s_portal = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(s_portal->Started()) << s_portal->Banner(); }
  static int Port() { return s_portal->Port(); }

  static PortalInstance* s_portal;
};

PortalInstance* PortalFaults::s_portal = nullptr;

}  // namespace

TEST_F(PortalFaults, DelayHoldsTheAnswerBack) {
  const RawExchange delayed = Get(Port(), "/mini/index?fault=delay:400");
  EXPECT_EQ(delayed.Status(), 200);
  EXPECT_GE(delayed.first_byte, 400ms);
  const RawExchange by_rule = Get(Port(), "/outapi/game_get_box_url/?key=NOGAME00");
  EXPECT_GE(by_rule.first_byte, 300ms);
  EXPECT_EQ(by_rule.Body(), R"({"code":0})");
}

TEST_F(PortalFaults, StatusAnswersWithTheCodeAskedFor) {
  EXPECT_EQ(Get(Port(), "/mini/index?fault=404").Status(), 404);
  EXPECT_EQ(Get(Port(), "/outapi/game_get_box_url/?key=WEBGAME1&fault=status:500").Status(), 500);
  EXPECT_EQ(Get(Port(), "/tj/minclient?game_id=&type=3&key=ABCDEFGH").Status(), 500);
  EXPECT_EQ(Get(Port(), "/mini/index?fault=no-such-mode").Status(), 400);
}

TEST_F(PortalFaults, RedirectSendsTheClientOnUntilItsHopsAreUsed) {
  // By rule: two hops, then the real page.
  const RawExchange first = Get(Port(), "/mini/servers/1001");
  EXPECT_EQ(first.Status(), 302);
  EXPECT_EQ(first.Header("Location"), "/mini/servers/1001?redirect_hop=1");
  const RawExchange second = Get(Port(), first.Header("Location"));
  EXPECT_EQ(second.Header("Location"), "/mini/servers/1001?redirect_hop=2");
  EXPECT_EQ(Get(Port(), second.Header("Location")).Status(), 200);

  // By query: the answer behind the redirect is the real one.
  const RawExchange by_query = Get(Port(), "/outapi/game_get_box_url/?key=NOGAME00&fault=redirect");
  EXPECT_EQ(by_query.Header("Location"), "/outapi/game_get_box_url/?key=NOGAME00&fault=redirect&redirect_hop=1");
  EXPECT_EQ(Get(Port(), by_query.Header("Location")).Body(), R"({"code":0})");

  const RawExchange loop = Get(Port(), "/mini/index?fault=redirect-loop");
  EXPECT_EQ(loop.Status(), 302);
  EXPECT_EQ(loop.Header("Location"), "/mini/index?fault=redirect-loop");
}

TEST_F(PortalFaults, OversizeSendsTheWholeLargeBody) {
  const RawExchange big = Get(Port(), "/outapi/game_get_box_url/?key=NOGAME00&fault=oversize");
  EXPECT_EQ(big.Status(), 200);
  EXPECT_EQ(big.Header("Content-Length"), std::to_string(10 << 20));
  ASSERT_EQ(big.Body().size(), 10u << 20);
  EXPECT_TRUE(big.Body().starts_with(R"({"code":0})"));
  // Never shorter than the real answer.
  EXPECT_EQ(Get(Port(), "/tj/minclient?fault=oversize:5000").Body().size(), 5000u);
  EXPECT_EQ(Get(Port(), "/mini/index?fault=oversize:10").Body(), Get(Port(), "/mini/index").Body());
}

TEST_F(PortalFaults, ChunksArriveInPiecesWithPausesAndAddUpToTheAnswer) {
  const std::string whole = Get(Port(), "/mini/news").Body();
  const RawExchange pieces = Get(Port(), "/mini/news?fault=chunks:4:150");
  EXPECT_EQ(pieces.Status(), 200);
  EXPECT_GE(pieces.pieces, 4);
  EXPECT_GE(pieces.elapsed - pieces.first_byte, 3 * 150ms);
  EXPECT_EQ(pieces.Body(), whole);
}

TEST_F(PortalFaults, ResetCutsTheConnectionMidBody) {
  const RawExchange cut = Get(Port(), "/mini/index?fault=reset");
  EXPECT_TRUE(cut.reset);
  EXPECT_EQ(cut.Status(), 200);
  const size_t declared = std::stoul(cut.Header("Content-Length"));
  EXPECT_EQ(cut.Body().size(), declared / 2);

  const RawExchange early = Get(Port(), "/games/hero/download-hero.exe?fault=reset:100");
  EXPECT_TRUE(early.reset);
  EXPECT_EQ(early.Body().size(), 100u);
  // More than the body holds still strikes before its end.
  const RawExchange late = Get(Port(), "/games/hero/download-hero.exe?fault=reset:100000000");
  EXPECT_TRUE(late.reset);
  EXPECT_EQ(late.Body().size() + 1, std::stoul(late.Header("Content-Length")));

  // A cut by rule closes the first answer short, in order, and leaves the next one whole.
  const RawExchange first = Get(Port(), "/games/jade/download-jade.exe");
  EXPECT_FALSE(first.reset);
  EXPECT_EQ(first.Body().size(), 1000u);
  const RawExchange second = Get(Port(), "/games/jade/download-jade.exe");
  EXPECT_EQ(std::to_string(second.Body().size()), second.Header("Content-Length"));
  EXPECT_GT(second.Body().size(), 1000u);
}

TEST_F(PortalFaults, GarbageIsNoHttpAtAll) {
  const RawExchange junk = Get(Port(), "/outapi/game_get_box_url/?key=WEBGAME1&fault=garbage");
  EXPECT_FALSE(junk.received.empty());
  EXPECT_EQ(junk.Status(), 0);
  EXPECT_EQ(junk.received.find("HTTP/"), std::string::npos);
}

TEST_F(PortalFaults, StallSendsNothingAndThenCloses) {
  const RawExchange stalled = Get(Port(), "/tj/minclient?fault=stall:500");
  EXPECT_TRUE(stalled.received.empty());
  EXPECT_FALSE(stalled.timed_out);
  EXPECT_GE(stalled.elapsed, 500ms);
  // A client that gives up first sees only silence.
  EXPECT_TRUE(Exchange(Port(), "GET /tj/minclient?fault=stall:5000 HTTP/1.0\r\n\r\n", 300).timed_out);
}
