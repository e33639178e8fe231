#pragma once

#include <QString>

namespace tarvex {

// The window operations that routing rules and the game-address answer ask for. The main
// window implements them; code below the window layer only sees this interface.
class Views {
 public:
  virtual ~Views() = default;

  // A new game window for `address`; openFlag 1 hides its close button for a minute.
  virtual void OpenGameView(const QString& address, int openFlag) = 0;
  // The single pay window; an open one is only shown again.
  virtual void OpenPayView(const QString& address, int width, int height, const QString& label) = 0;
  // The single download window; an open one keeps its key and parameters.
  virtual void OpenLoadView(const QString& gameKey, const QString& launchParams) = 0;
  // Starts an installed client game (with its desktop shortcut) or downloads it first.
  virtual void LaunchGame(const QString& launchAddress) = 0;
};

}  // namespace tarvex
