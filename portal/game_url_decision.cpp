#include "portal/game_url_decision.h"

#include "platform/trace.h"
#include "portal/answer_fields.h"
#include "portal/target_encoding.h"

namespace tarvex {

QString GameUrlTarget(const QString& loginToken) {
  return QStringLiteral("/outapi/game_get_box_url/?key=") + EncodeTargetValue(loginToken);
}

GameUrlDecision DecideGameUrl(const std::optional<PortalAnswer>& answer) {
  if (!answer) {
    Trace(QStringLiteral("----------catch------POST出错-------------------\n"));
    return {};
  }
  if (answer->status != 200) {
    Trace(QStringLiteral("----------------POST出错-------------------\n"));
    return {};
  }
  Trace(QStringLiteral("----------------POST成功------------------\n-"));
  const auto fields = ParseAnswerFields(answer->body);
  QString url = fields.value(QStringLiteral("url"));
  url.remove(QLatin1Char('\\'));
  return {fields.value(QStringLiteral("code")), url};
}

}  // namespace tarvex
