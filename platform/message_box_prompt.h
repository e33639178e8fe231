#pragma once

#include "platform/prompt.h"

namespace tarvex {

// The real prompt: Qt message boxes and the file dialog.
class MessageBoxPrompt final : public Prompt {
 public:
  Answer Ask(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
             Icon icon) override;
  QString AskSaveFileName(QWidget* owner, const QString& proposedPath) override;
};

}  // namespace tarvex
