#include "install/wine_notice.h"

#include "platform/prompt.h"

namespace tarvex {

void TellWineMissing(Prompt& prompt, QWidget* owner, const QString& game) {
  const QString text =
      QStringLiteral("게임 \"%1\"을(를) 시작할 수 없습니다. Windows 게임은 Wine이 있어야 실행됩니다.\n"
                     "Debian 패키지 wine을 설치하십시오: sudo apt install wine\n\n"
                     "無法啟動遊戲「%1」：Windows 遊戲需要 Wine 才能執行。\n"
                     "請安裝 Debian 套件 wine：sudo apt install wine")
          .arg(game);
  prompt.Ask(owner, text, QStringLiteral("따뜻한 힌트"), Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

}  // namespace tarvex
