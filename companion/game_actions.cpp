#include "companion/game_actions.h"

#include "companion/game_processes.h"
#include "companion/game_removal.h"
#include "install/desktop_shortcut.h"
#include "platform/paths.h"
#include "platform/program_environment.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

const QString kCaption = QStringLiteral("따뜻한 힌트");
constexpr auto kStopGrace = 5s;

// Holds the game's installer lock, so no installer of the game runs while it is removed.
class InstallerLockHold {
 public:
  explicit InstallerLockHold(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    m_held = m_descriptor >= 0 && ::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0;
  }
  ~InstallerLockHold() {
    if (m_descriptor >= 0) ::close(m_descriptor);
  }
  InstallerLockHold(const InstallerLockHold&) = delete;
  InstallerLockHold& operator=(const InstallerLockHold&) = delete;
  bool IsHeld() const { return m_held; }

 private:
  int m_descriptor = -1;
  bool m_held = false;
};

}  // namespace

GameActions::GameActions(Prompt& prompt, QString gameKey) : m_prompt(prompt), m_gameKey(std::move(gameKey)) {}

void GameActions::Tell(const QString& text) {
  m_prompt.Ask(nullptr, text, kCaption, Prompt::Buttons::Ok, Prompt::Icon::Information);
}

// The name the menu shows for the game, else its key.
QString GameActions::GameName() const {
  const QString entry = paths::MenuEntry(m_gameKey);
  QFile file(entry);
  if (IsEntryOfGame(entry, m_gameKey) && file.open(QIODevice::ReadOnly)) {
    while (!file.atEnd()) {
      const QString line = QString::fromUtf8(file.readLine()).trimmed();
      if (line.startsWith(QLatin1String("Name="))) return line.mid(5);
    }
  }
  return m_gameKey;
}

int GameActions::Uninstall() {
  const QString name = GameName();
  if (RemovalList(m_gameKey).isEmpty()) {
    Tell(QStringLiteral("게임 \"%1\"은(는) 설치되어 있지 않습니다. 제거할 것이 없습니다.\n\n"
                        "遊戲「%1」未安裝，沒有可移除的項目。")
             .arg(name));
    return 2;
  }
  const QString question =
      QStringLiteral("게임 \"%1\"을(를) 제거하시겠습니까? 게임이 실행 중이면 종료됩니다. 게임 폴더 %2 가 "
                     "삭제되며, 그 안에 저장된 게임 기록도 함께 삭제됩니다.\n\n"
                     "要移除遊戲「%1」嗎？遊戲若正在執行將會被結束。遊戲資料夾 %2 將被刪除，"
                     "其中保存的遊戲存檔也會一併刪除。")
          .arg(name, paths::GameFolder(m_gameKey));
  if (m_prompt.Ask(nullptr, question, kCaption, Prompt::Buttons::YesNo, Prompt::Icon::Exclamation) !=
      Prompt::Answer::Yes)
    return 1;
  const InstallerLockHold lock(paths::InstallerLock(m_gameKey));
  if (!lock.IsHeld()) {
    Tell(QStringLiteral("게임 \"%1\"이(가) 지금 설치되고 있습니다. 설치가 끝난 뒤 다시 시도하십시오.\n\n"
                        "遊戲「%1」正在安裝中，請在安裝完成後再試。")
             .arg(name));
    return 1;
  }
  StopGame(m_gameKey, kStopGrace);
  const QStringList failed = RemoveEntries(RemovalList(m_gameKey));
  RefreshMenuDatabase();
  if (!failed.isEmpty()) {
    Tell(QStringLiteral("다음 항목을 삭제할 수 없었습니다:\n%1\n\n無法刪除下列項目：\n%1").arg(failed.join('\n')));
    return 1;
  }
  Tell(QStringLiteral("게임 \"%1\"이(가) 제거되었습니다.\n\n遊戲「%1」已移除。").arg(name));
  return 0;
}

int GameActions::Stop() {
  if (StopGame(m_gameKey, kStopGrace) > 0) return 0;
  Tell(QStringLiteral("게임 \"%1\"은(는) 실행 중이 아닙니다.\n\n遊戲「%1」沒有在執行。").arg(GameName()));
  return 2;
}

int GameActions::ShowLog() {
  const QString log = paths::ProgramLog(m_gameKey);
  if (!QFileInfo(log).isFile()) {
    Tell(QStringLiteral("게임 \"%1\"의 로그가 아직 없습니다.\n\n遊戲「%1」尚無記錄檔。").arg(GameName()));
    return 2;
  }
  QProcess opener;
  opener.setProgram(QStringLiteral("xdg-open"));
  opener.setArguments({log});
  opener.setProcessEnvironment(ProgramEnvironment());
  return opener.startDetached() ? 0 : 1;
}

}  // namespace tarvex
