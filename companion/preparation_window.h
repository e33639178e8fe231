#pragma once

#include <QWidget>

namespace tarvex {

// What a game's start shows while wine's prefix is prepared for it (missing, half-made, or
// made by another wine): a frameless window on the download window's skin, saying so in
// Korean with Chinese beneath, centred on the screen and dragged by its background. Whoever
// prepares the prefix closes it when that ends; wine's own windows never show meanwhile.
class PreparationWindow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 616;
  static constexpr int kHeight = 110;

  PreparationWindow();
};

}  // namespace tarvex
