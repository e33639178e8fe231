#include "portal/locale_text.h"

#include <QSysInfo>

#include <cerrno>
#include <cstring>

#include <iconv.h>
#include <langinfo.h>

namespace tarvex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsAsciiOnlyCodeset(const char* codeset) {
  return std::strcmp(codeset, "ANSI_X3.4-1968") == 0 || std::strcmp(codeset, "ASCII") == 0;
}

QString DecodeUtf8(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

// Converts with iconv into UTF-32, replacing every byte that does not start a valid
// sequence, so a damaged or cut answer still yields the text around the damage.
QString DecodeWith(iconv_t converter, const QByteArray& bytes) {
  QString text;
  QByteArray input = bytes;
  char* in = input.data();
  size_t inLeft = static_cast<size_t>(input.size());
  char32_t buffer[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof(buffer);
    const size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
    const auto produced = static_cast<qsizetype>((sizeof(buffer) - outLeft) / sizeof(char32_t));
    text += QString::fromUcs4(buffer, produced);
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ: an invalid sequence; EINVAL: a sequence cut off by the end of the input.
    text += QString::fromUcs4(&kReplacement, 1);
    ++in;
    --inLeft;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  return text;
}

}  // namespace

QString DecodeLocaleText(const QByteArray& bytes) {
  const qsizetype zero = bytes.indexOf('\0');
  const QByteArray text = zero >= 0 ? bytes.left(zero) : bytes;
  const char* codeset = ::nl_langinfo(CODESET);
  if (codeset == nullptr || *codeset == '\0' || IsAsciiOnlyCodeset(codeset)) return DecodeUtf8(text);
  const char* utf32 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-32LE" : "UTF-32BE";
  const iconv_t converter = ::iconv_open(utf32, codeset);
  if (converter == reinterpret_cast<iconv_t>(-1)) return DecodeUtf8(text);
  QString decoded = DecodeWith(converter, text);
  ::iconv_close(converter);
  return decoded;
}

}  // namespace tarvex
