#pragma once

#include <QString>

namespace tarvex {

namespace launch {
struct Start;
}
class ProgramStarter;
class Prompt;
class Views;

// Carries out a client-game launch address: refuses unusable keys, hands games that are
// not installed to the download window, asks for a fresh token when the parameters are
// too short, tells the user when a Windows game cannot start for want of wine, and
// otherwise starts the game and (re)writes its desktop shortcut. A game that starts without
// the locale its language needs is named to the user, once in the launcher's run.
// The referenced objects must outlive this one.
class GameLauncher {
 public:
  GameLauncher(Views& views, Prompt& prompt, ProgramStarter& programStarter);

  void Launch(const QString& launchAddress);

  // Starts the installed game with its launch parameters as its one argument, then
  // writes its icons, the shortcut and the menu entry (also when the start failed). Never
  // waits for the game.
  static void StartGame(const launch::Start& start, ProgramStarter& programStarter);

 private:
  void TellMissingLocaleOnce(const launch::Start& start);

  Views& m_views;
  Prompt& m_prompt;
  ProgramStarter& m_programStarter;
  bool m_toldMissingLocale = false;
};

}  // namespace tarvex
