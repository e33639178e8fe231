#pragma once

#include <QString>

namespace tarvex {

class Prompt;

// A token is usable when it is exactly 8 characters long; its characters are not examined.
bool IsUsableToken(const QString& token);

// Reads the one-time login token that another program leaves in the token file, and
// deletes the file so that each token is used by one start only.
class LoginTokenReader {
 public:
  // `caption` is the application's name, the caption of the folder-failure message box.
  LoginTokenReader(Prompt& prompt, QString caption);

  // Makes sure the data root and the Box folder exist (a box per folder that cannot be
  // made, then goes on), reads at most 8 bytes of the token file up to the first zero
  // byte in the locale's character set, and deletes the file whatever it held. A missing
  // or unreadable file, or anything but a plain file (a link, a pipe), gives the empty
  // token.
  QString GetloginToken();

 private:
  void EnsureFolder(const QString& folder);

  Prompt& m_prompt;
  QString m_caption;
};

}  // namespace tarvex
