#include "portal/url_decode.h"

#include <QByteArray>

namespace tarvex {
namespace {

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Cuts `bytes` to the limit; when the cut falls inside a multi-byte character, the whole
// character goes.
void CutToLimit(QByteArray& bytes) {
  if (bytes.size() <= kUrlDecodeMaxBytes) return;
  qsizetype end = kUrlDecodeMaxBytes;
  while (end > 0 && IsContinuationByte(bytes.at(end))) --end;
  // Only a real sequence start is kept whole; stray continuation bytes are cut as they are.
  const bool sequenceStart = static_cast<unsigned char>(bytes.at(end)) >= 0xC0;
  if (!sequenceStart || kUrlDecodeMaxBytes - end > 3) end = kUrlDecodeMaxBytes;
  bytes.truncate(end);
}

}  // namespace

QString UrlDecode(const QString& text) {
  if (!text.contains(QLatin1Char('%'))) return text;

  const QByteArray source = text.toUtf8();
  QByteArray decoded;
  decoded.reserve(source.size());
  for (qsizetype at = 0; at < source.size(); ++at) {
    if (source.at(at) != '%') {
      decoded.append(source.at(at));
      continue;
    }
    const int high = at + 1 < source.size() ? HexValue(source.at(at + 1)) : -1;
    const int low = at + 2 < source.size() ? HexValue(source.at(at + 2)) : -1;
    const int value = (high < 0 ? 15 : high) * 16 + (low < 0 ? 255 : low);
    decoded.append(static_cast<char>(value % 256));
    at += 2;
  }
  CutToLimit(decoded);
  return QString::fromUtf8(decoded);
}

}  // namespace tarvex
