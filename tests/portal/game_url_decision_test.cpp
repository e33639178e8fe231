#include "portal/answer_fields.h"
#include "portal/game_url_decision.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using Fields = QMap<QString, QString>;

struct FieldsCase {
  const char* answer;
  Fields fields;
};

TEST(ParseAnswerFieldsTest, ReadsTheFlatAnswerShapes) {
  const FieldsCase cases[] = {
      {R"({"code":1,"url":"http:\/\/h\/g"})", {{"code", "1"}, {"url", R"(http:\/\/h\/g)"}}},
      {R"({"url":"u","code":"2"})", {{"url", "u"}, {"code", "2"}}},
      // Blanks are kept, so ", " separators and blanks around ':' give keys that are not found.
      {R"({"code": 1, "url":"u"})", {{"code", " 1"}, {" url", "u"}}},
      {R"({"code" :1})", {{"code ", "1"}}},
      // A comma cuts a value; the rest goes under the empty key.
      {R"({"url":"http://h/a,b","code":1})", {{"url", "http://h/a"}, {"", "b"}, {"code", "1"}}},
      // Later keys replace earlier ones, the empty key included.
      {R"({"code":1,"code":2,x,y})", {{"code", "2"}, {"", "y"}}},
      // Quotes and braces go wherever they stand; further colons stay in the value.
      {R"({"url":"a\"b{c}d:e"})", {{"url", R"(a\bcd:e)"}}},
      {"", {{"", ""}}},
      {"{}", {{"", ""}}},
      {R"({"code":0})", {{"code", "0"}}},
      {R"({"code":1,})", {{"code", "1"}, {"", ""}}},
      {":v", {{"", "v"}}},
  };
  for (const FieldsCase& c : cases) EXPECT_EQ(ParseAnswerFields(QString::fromUtf8(c.answer)), c.fields) << c.answer;
}

struct DecisionCase {
  const char* name;
  std::optional<PortalAnswer> answer;
  QString code;
  std::optional<QString> gameUrl;
  const char* trace;
};

TEST(DecideGameUrlTest, StatusAndAnswerDecideCodeAndAddress) {
  const DecisionCase cases[] = {
      {"web game", PortalAnswer{200, R"({"code":1,"url":"http:\/\/h\/a\/b"})"}, "1", QStringLiteral("http://h/a/b"),
       "----------------POST成功------------------\n-"},
      {"client game as string", PortalAnswer{200, R"({"url":"x\\y","code":"2"})"}, "2", QStringLiteral("xy"),
       "----------------POST成功------------------\n-"},
      {"no url", PortalAnswer{200, R"({"code":0})"}, "0", QString(), "----------------POST成功------------------\n-"},
      {"blank separators", PortalAnswer{200, R"({"code":1, "url":"u"})"}, "1", QString(),
       "----------------POST成功------------------\n-"},
      {"not found", PortalAnswer{404, QString()}, QString(), std::nullopt, "----------------POST出错-------------------\n"},
      {"server error", PortalAnswer{500, QString()}, QString(), std::nullopt,
       "----------------POST出错-------------------\n"},
      {"transport failure", std::nullopt, QString(), std::nullopt,
       "----------catch------POST出错-------------------\n"},
  };
  for (const DecisionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::TraceCapture traces;
    const GameUrlDecision decision = DecideGameUrl(c.answer);
    EXPECT_EQ(decision.code, c.code);
    EXPECT_EQ(decision.gameUrl, c.gameUrl);
    EXPECT_EQ(traces.Lines(), QStringList{QString::fromUtf8(c.trace)});
  }
}

TEST(DecideGameUrlTest, TargetCarriesTheTokenEncodedWithoutALengthTest) {
  EXPECT_EQ(GameUrlTarget(QStringLiteral("abcdefgh")), QStringLiteral("/outapi/game_get_box_url/?key=abcdefgh"));
  EXPECT_EQ(GameUrlTarget(QString()), QStringLiteral("/outapi/game_get_box_url/?key="));
  EXPECT_EQ(GameUrlTarget(QStringLiteral("abcdefg\r")), QStringLiteral("/outapi/game_get_box_url/?key=abcdefg%0D"));
}

}  // namespace
}  // namespace tarvex
