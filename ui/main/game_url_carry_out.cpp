#include "ui/main/game_url_carry_out.h"

#include "interfaces/views.h"
#include "portal/game_url_decision.h"

namespace tarvex {

void CarryOutGameUrlDecision(const GameUrlDecision& decision, QString& gameUrl, Views& views,
                             const std::function<void()>& minimiseMainWindow) {
  if (decision.gameUrl) gameUrl = *decision.gameUrl;
  if (decision.code == QLatin1String("1")) {
    views.OpenGameView(gameUrl, 1);
  } else if (decision.code == QLatin1String("2")) {
    minimiseMainWindow();
    views.LaunchGame(gameUrl);
  }
}

}  // namespace tarvex
