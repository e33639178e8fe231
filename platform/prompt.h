#pragma once

#include <QString>

class QWidget;

namespace tarvex {

// Every question and notice the launcher puts in front of the user goes through this
// seam, so tests can answer in place of a person.
class Prompt {
 public:
  enum class Buttons { Ok, YesNo };
  enum class Icon { Information, Exclamation };
  enum class Answer { Ok, Yes, No };

  virtual ~Prompt() = default;

  // Blocks until answered. `owner` may be null (a box of its own on the task bar).
  virtual Answer Ask(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                     Icon icon) = 0;

  // Asks where a download goes, proposing `proposedPath`; empty when the user declines.
  virtual QString AskSaveFileName(QWidget* owner, const QString& proposedPath) = 0;
};

}  // namespace tarvex
