// Percent-decoding: arbitrary text, and a round trip of arbitrary UTF-8 encoded byte by byte.
#include "fuzz/fuzz_check.h"
#include "portal/url_decode.h"

namespace {

using tarvex::kUrlDecodeMaxBytes;
using tarvex::UrlDecode;

// Every byte as %XX, upper- or lower-case digits.
QString PercentEncoded(const QByteArray& bytes, bool lowerCase) {
  QString encoded;
  for (const char byte : bytes) {
    QString hex = QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0'));
    encoded += lowerCase ? hex.toLower() : hex.toUpper();
  }
  return encoded;
}

void CheckArbitraryText(const QString& text) {
  const QString decoded = UrlDecode(text);
  if (!text.contains(QLatin1Char('%'))) {
    TARVEX_FUZZ_REQUIRE(decoded == text, text);
    return;
  }
  // At most the limit in bytes, and each byte gives at most one UTF-16 unit.
  TARVEX_FUZZ_REQUIRE(decoded.size() <= kUrlDecodeMaxBytes, text);
  TARVEX_FUZZ_REQUIRE(decoded.size() <= text.toUtf8().size(), text);
}

void CheckRoundTrip(const QByteArray& bytes, bool lowerCase) {
  const QString original = QString::fromUtf8(bytes);
  if (bytes.isEmpty() || original.toUtf8() != bytes) return;  // only valid UTF-8 survives a round trip
  const QString decoded = UrlDecode(PercentEncoded(bytes, lowerCase));
  if (bytes.size() <= kUrlDecodeMaxBytes) {
    TARVEX_FUZZ_REQUIRE(decoded == original, original);
    return;
  }
  // Cut to the limit at a character boundary: a prefix, never a replacement character of its own.
  const qsizetype decodedBytes = decoded.toUtf8().size();
  TARVEX_FUZZ_REQUIRE(original.startsWith(decoded), original);
  TARVEX_FUZZ_REQUIRE(decodedBytes <= kUrlDecodeMaxBytes && decodedBytes > kUrlDecodeMaxBytes - 4, original);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  CheckArbitraryText(QString::fromUtf8(bytes));
  CheckRoundTrip(bytes, size % 2 == 0);
  return 0;
}
