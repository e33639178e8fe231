#include "portal/target_encoding.h"

#include <QByteArray>

namespace tarvex {

QString EncodeTargetValue(const QString& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  QString encoded;
  for (const char c : value.toUtf8()) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x21 || byte > 0x7E || byte == '#') {
      encoded += QLatin1Char('%');
      encoded += QLatin1Char(kHex[byte >> 4]);
      encoded += QLatin1Char(kHex[byte & 0x0F]);
    } else {
      encoded += QLatin1Char(static_cast<char>(byte));
    }
  }
  return encoded;
}

}  // namespace tarvex
