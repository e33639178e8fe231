// The token file: its bytes decoded in the locale's character set, and the whole reader
// over a real file. The first byte picks the locale (UTF-8 or plain "C"), the rest is the
// file's content.
#include "fuzz/fuzz_check.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "portal/locale_text.h"
#include "portal/login_token_reader.h"

#include <QFile>

#include <clocale>

namespace {

// The folders can always be made here, so a question to the user is a fault.
class NoQuestions : public tarvex::Prompt {
 public:
  Answer Ask(QWidget*, const QString& text, const QString&, Buttons, Icon) override {
    tarvex::fuzz::Fail("the token reader asked a question", text);
  }
  QString AskSaveFileName(QWidget*, const QString&) override { return {}; }
};

void CheckDecoding(const QByteArray& bytes) {
  const QString text = tarvex::DecodeLocaleText(bytes);
  const qsizetype zero = bytes.indexOf('\0');
  const QByteArray upToZero = zero >= 0 ? bytes.left(zero) : bytes;
  const QString detail = QString::fromLatin1(bytes.toHex());
  TARVEX_FUZZ_REQUIRE(!text.contains(QChar(0)), detail);
  // One UTF-16 unit per byte at most: a character or a replacement for a bad byte.
  TARVEX_FUZZ_REQUIRE(text.size() <= upToZero.size(), detail);
  const QString utf8 = QString::fromUtf8(upToZero);
  if (utf8.toUtf8() == upToZero) TARVEX_FUZZ_REQUIRE(text == utf8, detail);
}

void CheckReader(const QByteArray& bytes) {
  const QString tokenFile = tarvex::paths::TokenFile();
  QFile file(tokenFile);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) tarvex::fuzz::Fail("token file not writable", tokenFile);
  file.write(bytes);
  file.close();

  NoQuestions prompt;
  const QString token = tarvex::LoginTokenReader(prompt, QStringLiteral("DAvadu")).GetloginToken();
  const QString detail = QString::fromLatin1(bytes.toHex());
  TARVEX_FUZZ_REQUIRE(token == tarvex::DecodeLocaleText(bytes.left(8)), detail);
  TARVEX_FUZZ_REQUIRE(token.size() <= 8, detail);
  TARVEX_FUZZ_REQUIRE(!QFile::exists(tokenFile), detail);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  tarvex::fuzz::UsePrivateHome();
  QDir().mkpath(tarvex::paths::BoxFolder());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::setlocale(LC_CTYPE, data[0] % 2 == 0 ? "C.UTF-8" : "C");
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  CheckDecoding(bytes);
  CheckReader(bytes);
  return 0;
}
