#include "loopback_server.h"
#include "portal/game_url_request.h"
#include "support/wait.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tarvex {
namespace {

using testing::LoopbackServer;

constexpr int kWaitMs = 10000;

class GameUrlRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Routes().Get("/outapi/game_get_box_url/", [this](const httplib::Request& request, httplib::Response& response) {
      const std::string key = request.get_param_value("key");
      if (key == "held") m_server.WaitForRelease();
      if (key == "missing") {
        response.status = 404;
        return;
      }
      response.set_content(R"({"code":1,"url":"http:\/\/h\/g\/)" + key + R"("})", "application/json");
      const std::lock_guard guard(m_answeredLock);
      ++m_answered;
    });
    m_server.Listen();
  }

  PortalTransportOptions Options() const {
    PortalTransportOptions options;
    options.host = m_server.Host();
    options.userAgent = QStringLiteral("NimboClient");
    return options;
  }

  // Once every worker has ended, whatever one of them posted is delivered here.
  static bool WorkersEndedAndDelivered() {
    if (!QTest::qWaitFor([] { return testing::NoWorkerRunning(); }, kWaitMs)) return false;
    QCoreApplication::sendPostedEvents();
    return true;
  }

  int Answered() {
    const std::lock_guard guard(m_answeredLock);
    return m_answered;
  }

  LoopbackServer m_server;
  std::mutex m_answeredLock;
  int m_answered = 0;
};

GameUrlDecision DecisionOf(const QSignalSpy& spy, int index = 0) {
  return spy.at(index).at(0).value<GameUrlDecision>();
}

TEST_F(GameUrlRequestTest, DeliversTheDecisionOnTheGuiThreadWithoutBlockingIt) {
  GameUrlRequest request(Options());
  QSignalSpy finished(&request, &GameUrlRequest::Finished);
  request.Start(QStringLiteral("abcdefgh"));
  EXPECT_TRUE(request.IsRunning());
  EXPECT_TRUE(finished.isEmpty());  // Start returns before the answer
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_FALSE(request.IsRunning());
  const GameUrlDecision decision = DecisionOf(finished);
  EXPECT_EQ(decision.code, QStringLiteral("1"));
  EXPECT_EQ(decision.gameUrl, QStringLiteral("http://h/g/abcdefgh"));
  const auto seen = m_server.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, "/outapi/game_get_box_url/?key=abcdefgh");
}

TEST_F(GameUrlRequestTest, AFailedRequestDecidesNothing) {
  GameUrlRequest request(Options());
  QSignalSpy finished(&request, &GameUrlRequest::Finished);
  request.Start(QStringLiteral("missing"));
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(DecisionOf(finished).code, QString());
  EXPECT_FALSE(DecisionOf(finished).gameUrl);
}

TEST_F(GameUrlRequestTest, ANewStartSupersedesTheRunningRequest) {
  GameUrlRequest request(Options());
  QSignalSpy finished(&request, &GameUrlRequest::Finished);
  request.Start(QStringLiteral("held"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.Seen().size() == size_t{1}; }, kWaitMs));
  request.Start(QStringLiteral("second"));
  ASSERT_TRUE(finished.wait(kWaitMs));
  m_server.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Answered() == 2; }, kWaitMs));
  ASSERT_TRUE(WorkersEndedAndDelivered());  // a wrongly delivered first answer has arrived by now
  ASSERT_EQ(finished.size(), 1);
  EXPECT_EQ(DecisionOf(finished).gameUrl, QStringLiteral("http://h/g/second"));
}

TEST_F(GameUrlRequestTest, DestroyingTheRequestDuringATransferIsSafe) {
  auto request = std::make_unique<GameUrlRequest>(Options());
  QSignalSpy finished(request.get(), &GameUrlRequest::Finished);
  request->Start(QStringLiteral("held"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.Seen().size() == size_t{1}; }, kWaitMs));
  request.reset();
  m_server.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Answered() == 1; }, kWaitMs));
  ASSERT_TRUE(WorkersEndedAndDelivered());  // the worker found nobody to deliver to
  EXPECT_TRUE(finished.isEmpty());
}

}  // namespace
}  // namespace tarvex
