#include "install/game_launcher.h"

#include "install/desktop_shortcut.h"
#include "install/launch_decision.h"
#include "install/theme_icon.h"
#include "install/wine_notice.h"
#include "interfaces/views.h"
#include "platform/overloaded.h"
#include "platform/prompt.h"
#include "platform/trace.h"
#include "wine/program_command.h"

#include <QFileInfo>

namespace tarvex {
namespace {

// The game as the user knows it: the portal's name for it, else its key.
QString GameName(const launch::Start& start) {
  return start.shortcut ? start.shortcut->name : QFileInfo(start.executable).completeBaseName();
}

}  // namespace

GameLauncher::GameLauncher(Views& views, Prompt& prompt, ProgramStarter& programStarter)
    : m_views(views), m_prompt(prompt), m_programStarter(programStarter) {}

void GameLauncher::Launch(const QString& launchAddress) {
  std::visit(Overloaded{
                 [](const launch::RefuseKey& refused) {
                   TraceFormat(QStringLiteral("---------game key refused---------%s\n"), refused.key);
                 },
                 [this](const launch::NotInstalled& missing) {
                   m_views.OpenLoadView(missing.key, missing.launchParams);
                 },
                 [this](const launch::TokenExpired&) {
                   m_prompt.Ask(nullptr, QStringLiteral("token expire"), QStringLiteral("NimboClient"),
                                Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
                 },
                 [this](const launch::Start& start) {
                   // Nothing is started that is bound to fail: the user learns why.
                   switch (CheckRunnable(start.executable)) {
                     case Runnability::NeedsWine:
                       TellWineMissing(m_prompt, nullptr, GameName(start));
                       return;
                     case Runnability::Needs32BitWine:
                       TellWine32Missing(m_prompt, nullptr, GameName(start));
                       return;
                     case Runnability::Runs:
                       StartGame(start, m_programStarter);
                       TellMissingLocaleOnce(start);
                       return;
                   }
                 },
             },
             launch::DecideLaunch(launchAddress));
}

// The game has started under the user's locale: what it needs is said once, not on every start.
void GameLauncher::TellMissingLocaleOnce(const launch::Start& start) {
  if (m_toldMissingLocale) return;
  const QString locale = MissingLocale(start.executable);
  if (locale.isEmpty()) return;
  m_toldMissingLocale = true;
  TellLocaleMissing(m_prompt, nullptr, GameName(start), locale);
}

void GameLauncher::StartGame(const launch::Start& start, ProgramStarter& programStarter) {
  TraceFormat(QStringLiteral("---------qidongmulu---------%s\n"), start.executable);
  TraceFormat(QStringLiteral("---------output---------%s\n"), start.launchParams);
  // No parameters is no argument at all, not one empty argument.
  programStarter.StartDetached(start.executable,
                               start.launchParams.isEmpty() ? QStringList() : QStringList{start.launchParams});
  if (!start.shortcut) return;
  TraceFormat(QStringLiteral("---------创建快捷键---------%s\n"), start.shortcut->icon);
  launch::Shortcut shortcut = *start.shortcut;
  shortcut.icon = InstallThemeIcons(shortcut.key);
  WriteDesktopShortcut(shortcut);
  WriteMenuEntry(shortcut);
}

}  // namespace tarvex
