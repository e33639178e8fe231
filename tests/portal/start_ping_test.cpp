#include "loopback_server.h"
#include "portal/portal_transport.h"
#include "portal/start_ping.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using testing::LoopbackServer;
using testing::TraceCapture;

const QString kTarget = QStringLiteral("/tj/minclient?game_id=&type=3&key=");
const QString kStart = QStringLiteral("----------------开始HttpGet-------------------\n");
const QString kFlag = QStringLiteral("----------------flag HttpGet-------------------\n");

QString Recorded(const QString& target) {
  return QStringLiteral("------------------成功记录URL:---------------------%1\n").arg(target);
}
QString NotRecorded(const QString& target) {
  return QStringLiteral("------------------错误记录URL:---------------------%1\n").arg(target);
}

class StartPingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Routes().Get("/tj/minclient", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("ok", "text/plain");
    });
    m_server.Listen();
    m_options.host = m_server.Host();
    m_options.userAgent = QStringLiteral("NimboClient");
  }

  LoopbackServer m_server;
  PortalTransportOptions m_options;
};

TEST_F(StartPingTest, AUsableTokenIsSentAndTheRecordedTargetTraced) {
  const TraceCapture traces;
  HttpGet(m_options, kTarget, QStringLiteral("abcdefgh"));
  const QString completed = kTarget + QStringLiteral("abcdefgh");
  EXPECT_EQ(traces.Lines(), (QStringList{kStart, kTarget, kFlag, Recorded(completed)}));
  const auto seen = m_server.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(QString::fromStdString(seen[0].target), completed);
  EXPECT_EQ(seen[0].version, "HTTP/1.0");
}

TEST_F(StartPingTest, ATokenOfAnotherLengthSendsNothing) {
  for (const QString& token : {QString(), QStringLiteral("abcdefg"), QStringLiteral("abcdefghi")}) {
    const TraceCapture traces;
    HttpGet(m_options, kTarget, token);
    EXPECT_EQ(traces.Lines(), (QStringList{kStart, kTarget}));
  }
  EXPECT_TRUE(m_server.Seen().empty());
}

TEST_F(StartPingTest, ATokenWithALineBreakIsSentEncoded) {
  const TraceCapture traces;
  HttpGet(m_options, kTarget, QStringLiteral("abcdefg\r"));
  const QString completed = kTarget + QStringLiteral("abcdefg%0D");
  EXPECT_EQ(traces.Lines().last(), Recorded(completed));
  const auto seen = m_server.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(QString::fromStdString(seen[0].target), completed);
}

TEST_F(StartPingTest, AnUnrecordedPingIsTracedAsAnError) {
  const QString target = QStringLiteral("/tj/elsewhere?key=");
  const TraceCapture traces;
  HttpGet(m_options, target, QStringLiteral("abcdefgh"));
  EXPECT_EQ(traces.Lines().last(), NotRecorded(target + QStringLiteral("abcdefgh")));
}

TEST(StartPingConnectTest, AnUnreachablePortalIsTracedAsAnError) {
  PortalTransportOptions options;
  options.host = QStringLiteral("127.0.0.1:%1").arg(LoopbackServer::FreePort());
  options.connectBackoff = std::chrono::milliseconds(50);
  const TraceCapture traces;
  HttpGet(options, kTarget, QStringLiteral("abcdefgh"));
  EXPECT_EQ(traces.Lines().last(), NotRecorded(kTarget + QStringLiteral("abcdefgh")));
}

}  // namespace
}  // namespace tarvex
