#include "companion/console_prompt.h"

#include <cstdio>

namespace tarvex {

Prompt::Answer ConsolePrompt::Ask(QWidget*, const QString& text, const QString&, Buttons buttons, Icon) {
  std::fputs(text.toLocal8Bit().append('\n').constData(), stdout);
  std::fflush(stdout);
  return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString ConsolePrompt::AskSaveFileName(QWidget*, const QString&) { return QString(); }

}  // namespace tarvex
