#include "loopback_server.h"
#include "portal/portal_transport.h"
#include "support/trace_capture.h"

#include <QTest>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tarvex {
namespace {

using testing::LoopbackServer;

class PortalTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Routes().Get("/ok", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("hello", "text/plain");
    });
    m_server.Listen();
  }

  PortalTransportOptions Options() const {
    PortalTransportOptions options;
    options.host = m_server.Host();
    options.userAgent = QStringLiteral("NimboClient");
    return options;
  }

  std::optional<PortalAnswer> Get(const char* target, PortalBody body = PortalBody::Read) {
    return PortalGet(Options(), QString::fromUtf8(target), body);
  }

  void Serve(const char* path, std::string content) {
    m_server.Routes().Get(path, [content](const httplib::Request&, httplib::Response& response) {
      response.set_content(content, "text/plain");
    });
  }

  LoopbackServer m_server;
};

TEST_F(PortalTransportTest, SendsAnHttp10GetWithTheLauncherHeaders) {
  const auto answer = Get("/ok?key=ab%0Dc");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200u);
  EXPECT_EQ(answer->body, QStringLiteral("hello"));
  const auto seen = m_server.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].version, "HTTP/1.0");
  EXPECT_EQ(seen[0].target, "/ok?key=ab%0Dc");
  EXPECT_EQ(seen[0].userAgent, "NimboClient");
  EXPECT_EQ(seen[0].contentType, "application/x-www-form-urlencoded;charset=UTF-8");
  EXPECT_EQ(seen[0].body, "");
}

TEST_F(PortalTransportTest, FollowsRedirectsToTheFinalAnswer) {
  m_server.Routes().Get("/moved", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/ok");
  });
  for (const PortalBody body : {PortalBody::Read, PortalBody::Skip}) {
    const auto answer = Get("/moved", body);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200u);
    EXPECT_EQ(answer->body, body == PortalBody::Read ? QStringLiteral("hello") : QString());
  }
  const auto seen = m_server.Seen();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].target, "/ok");
  EXPECT_EQ(seen[1].contentType, "application/x-www-form-urlencoded;charset=UTF-8");
}

TEST_F(PortalTransportTest, AnEndlessRedirectChainFails) {
  m_server.Routes().Get("/loop", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/loop");
  });
  EXPECT_FALSE(Get("/loop"));
  EXPECT_EQ(m_server.Seen().size(), 11u);
}

TEST_F(PortalTransportTest, OtherStatusesComeWithoutBody) {
  m_server.Routes().Get("/fail", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
    response.set_content("broken", "text/plain");
  });
  const auto missing = Get("/missing");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404u);
  EXPECT_EQ(missing->body, QString());
  const auto failed = Get("/fail");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 500u);
  EXPECT_EQ(failed->body, QString());
}

TEST_F(PortalTransportTest, BodyIsCutAtTheLimitAndAtAZeroByte) {
  std::string large;
  for (int i = 0; i < 5000; ++i) large += static_cast<char>('a' + i % 26);
  Serve("/large", large);
  Serve("/zero", std::string("code:1\0url:x", 12));

  const auto cut = Get("/large");
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->status, 200u);
  EXPECT_EQ(cut->body, QString::fromStdString(large.substr(0, 1999)));
  const auto zero = Get("/zero");
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->body, QStringLiteral("code:1"));
}

TEST_F(PortalTransportTest, ABodyInTwoPiecesIsReadWhole) {
  m_server.Routes().Get("/pieces", [](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(16, "text/plain", [](size_t offset, size_t, httplib::DataSink& sink) {
      if (offset == 0) {
        sink.write("first-half", 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the second piece comes later
      } else {
        sink.write("-tail-", 6);
      }
      return true;
    });
  });
  const auto answer = Get("/pieces");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, QStringLiteral("first-half-tail-"));
}

TEST_F(PortalTransportTest, BodyIsDecodedWithTheLocaleCharacterSet) {
  Serve("/utf8", "{\"name\":\"游戏\"}");
  Serve("/broken", "a\xFF" "b");
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  const auto text = Get("/utf8");
  const auto broken = Get("/broken");
  std::setlocale(LC_CTYPE, previous.c_str());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->body, QStringLiteral("{\"name\":\"游戏\"}"));
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->body, QStringLiteral("a\uFFFDb"));
}

TEST_F(PortalTransportTest, AStalledPortalFailsAfterTheStallTime) {
  m_server.Routes().Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
    m_server.WaitForRelease();
    response.set_content("late", "text/plain");
  });
  PortalTransportOptions options = Options();
  options.stallTimeout = std::chrono::seconds(1);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(PortalGet(options, QStringLiteral("/stall"), PortalBody::Read));
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(m_server.Seen().size(), 1u);  // a stall after connecting is not retried
}

TEST_F(PortalTransportTest, ATricklingPortalFailsAfterTheAttemptTime) {
  // A byte every 100 ms never trips the stall rule; only the bound on the whole attempt ends it.
  m_server.Routes().Get("/trickle", [](const httplib::Request&, httplib::Response& response) {
    response.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      return sink.write("x", 1);
    });
  });
  PortalTransportOptions options = Options();
  options.stallTimeout = std::chrono::seconds(1);
  options.attemptTimeout = std::chrono::milliseconds(1500);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(PortalGet(options, QStringLiteral("/trickle"), PortalBody::Read));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(PortalTransportConnectTest, ARefusedConnectionFailsAfterOneRetry) {
  PortalTransportOptions options;
  options.host = QStringLiteral("127.0.0.1:%1").arg(LoopbackServer::FreePort());
  options.connectBackoff = std::chrono::milliseconds(200);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(PortalGet(options, QStringLiteral("/ok"), PortalBody::Read));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));
}

TEST(PortalTransportConnectTest, TheRetryReachesAPortalThatCameUpMeanwhile) {
  const int port = LoopbackServer::FreePort();
  LoopbackServer late;
  late.Routes().Get("/ok", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("up", "text/plain");
  });
  PortalTransportOptions options;
  options.host = QStringLiteral("127.0.0.1:%1").arg(port);
  options.connectBackoff = std::chrono::seconds(3);
  testing::TraceCapture traces;
  std::optional<PortalAnswer> answer;
  std::thread request([&] { answer = PortalGet(options, QStringLiteral("/ok"), PortalBody::Read); });
  // Up once the first attempt was refused, well inside the back-off.
  const bool refused = QTest::qWaitFor(
      [&] { return !traces.Lines().filter(QStringLiteral("portal not reached, trying again")).isEmpty(); }, 10000);
  late.ListenOn(port);
  request.join();
  ASSERT_TRUE(refused);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->body, QStringLiteral("up"));
}

TEST(PortalTransportConnectTest, ACancelledRequestFailsWithoutWaitingOutTheBackOff) {
  PortalTransportOptions options;
  options.host = QStringLiteral("127.0.0.1:%1").arg(LoopbackServer::FreePort());
  options.connectBackoff = std::chrono::seconds(20);
  std::atomic<bool> cancelled{false};
  options.cancelled = &cancelled;
  std::thread canceller([&cancelled] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancelled = true;
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(PortalGet(options, QStringLiteral("/ok"), PortalBody::Read));
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

}  // namespace
}  // namespace tarvex
