#pragma once

#include <QLabel>

namespace tarvex {

// The title label of the game and pay windows (control id -1): gold text on a transparent
// background. It takes no clicks, so pressing on it drags the window.
class TitleLabel final : public QLabel {
  Q_OBJECT

 public:
  explicit TitleLabel(QWidget* parent);
};

}  // namespace tarvex
