#pragma once

#include <QString>

namespace tarvex {

class Prompt;

// What a game's desktop actions do, for the game of one key. Each returns the companion's
// exit code: 0 done, 1 failed or declined, 2 nothing of the game found.
class GameActions {
 public:
  GameActions(Prompt& prompt, QString gameKey);

  // Asks first; then ends the game and removes what the launcher installed and made for it
  // (companion/game_removal.h).
  int Uninstall();
  // Ends the game's processes, gently first.
  int Stop();
  // Opens the game's log with the user's program for text files.
  int ShowLog();

 private:
  void Tell(const QString& text);
  QString GameName() const;

  Prompt& m_prompt;
  QString m_gameKey;
};

}  // namespace tarvex
