#include "platform/message_box_prompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tarvex {

Prompt::Answer MessageBoxPrompt::Ask(QWidget* owner, const QString& text, const QString& caption,
                                     Buttons buttons, Icon icon) {
  QMessageBox box(icon == Icon::Information ? QMessageBox::Information : QMessageBox::Warning,
                  caption, text,
                  buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                  owner);
  const int result = box.exec();
  if (buttons == Buttons::Ok) return Answer::Ok;
  return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString MessageBoxPrompt::AskSaveFileName(QWidget* owner, const QString& proposedPath) {
  return QFileDialog::getSaveFileName(owner, QString(), proposedPath);
}

}  // namespace tarvex
