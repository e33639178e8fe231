#include "install/wine_notice.h"

#include "platform/prompt.h"
#include "wine/wine.h"

namespace tarvex {
namespace {

const QString kCaption = QStringLiteral("따뜻한 힌트");

}  // namespace

void TellWineMissing(Prompt& prompt, QWidget* owner, const QString& game) {
  const QString text =
      QStringLiteral("게임 \"%1\"을(를) 시작할 수 없습니다. Windows 게임은 Wine이 있어야 실행됩니다.\n"
                     "Debian 패키지 wine을 설치하십시오: sudo apt install wine\n\n"
                     "無法啟動遊戲「%1」：Windows 遊戲需要 Wine 才能執行。\n"
                     "請安裝 Debian 套件 wine：sudo apt install wine")
          .arg(game);
  prompt.Ask(owner, text, kCaption, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

void TellWine32Missing(Prompt& prompt, QWidget* owner, const QString& game) {
  if (wine::Runs32Bit(wine::Executable())) {
    // Installing 32-bit wine again would not help: the kernel refuses it.
    const QString text =
        QStringLiteral("게임 \"%1\"은(는) 32비트 Windows 프로그램입니다. 32비트 Wine은 설치되어 있지만, 이 "
                       "시스템의 커널이 32비트 프로그램을 실행하지 않습니다(IA-32 에뮬레이션이 꺼져 있음). "
                       "32비트 프로그램을 실행하는 커널로 시작한 뒤 다시 시도하십시오.\n\n"
                       "遊戲「%1」是 32 位元 Windows 程式。本機已安裝 32 位元 Wine，但系統核心不執行 32 位元程式"
                       "（IA-32 模擬已關閉）。請以可執行 32 位元程式的核心開機後再試。")
            .arg(game);
    prompt.Ask(owner, text, kCaption, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
    return;
  }
  const QString commands = QStringLiteral(
      "sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install wine32:i386");
  const QString text =
      QStringLiteral("게임 \"%1\"은(는) 32비트 Windows 프로그램이지만, 이 컴퓨터의 Wine은 64비트 프로그램만 "
                     "실행합니다. 다음 명령으로 32비트 Wine을 설치한 뒤 다시 시도하십시오:\n%2\n\n"
                     "遊戲「%1」是 32 位元 Windows 程式，但本機的 Wine 只能執行 64 位元程式。"
                     "請以下列指令安裝 32 位元 Wine 後再試：\n%2")
          .arg(game, commands);
  prompt.Ask(owner, text, kCaption, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

void TellLocaleMissing(Prompt& prompt, QWidget* owner, const QString& game, const QString& locale) {
  const QString text =
      QStringLiteral("게임 \"%1\"은(는) 로캘 %2이(가) 있어야 글자가 제대로 나오지만, 이 컴퓨터에는 설치되어 있지 "
                     "않습니다. 다음 명령으로 모든 로캘을 설치한 뒤 게임을 다시 시작하십시오:\n"
                     "sudo apt-get install locales-all\n"
                     "또는 sudo dpkg-reconfigure locales 에서 %2을(를) 선택하십시오.\n\n"
                     "遊戲「%1」需要語系 %2 才能正確顯示文字，但本機尚未安裝。請以下列指令安裝所有語系後重新啟動遊戲：\n"
                     "sudo apt-get install locales-all\n"
                     "或執行 sudo dpkg-reconfigure locales 並選取 %2。")
          .arg(game, locale);
  prompt.Ask(owner, text, kCaption, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

}  // namespace tarvex
