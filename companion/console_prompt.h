#pragma once

#include "platform/prompt.h"

namespace tarvex {

// The prompt of the companion's non-interactive use (--yes): every text goes to standard
// output and every question is answered yes.
class ConsolePrompt final : public Prompt {
 public:
  Answer Ask(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
  QString AskSaveFileName(QWidget* owner, const QString& proposedPath) override;
};

}  // namespace tarvex
