#include "portal/url_decode.h"

#include <QRandomGenerator>
#include <QUrl>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(UrlDecode, DecodesPercentBytesAsUtf8) {
  const struct {
    QString input;
    QString expected;
  } cases[] = {
      {QStringLiteral("%E4%B8%AD"), QString(QChar(0x4E2D))},
      {QStringLiteral("a%2Fb"), QStringLiteral("a/b")},
      {QStringLiteral("%e4%b8%ad"), QString(QChar(0x4E2D))},
      {QStringLiteral("abc"), QStringLiteral("abc")},
      {QString(), QString()},
      {QStringLiteral("a+b%20c"), QStringLiteral("a+b c")},
      // Invalid high digit counts 15, invalid low digit 255: "%zz" is the lone byte 0xEF.
      {QStringLiteral("%zz"), QString(QChar(0xFFFD))},
      {QStringLiteral("%4z"), QStringLiteral("?")},  // (4 * 16 + 255) mod 256 = '?'
      {QStringLiteral("%z3"), QString(QChar(0xFFFD))},  // 15 * 16 + 3: the lone lead byte 0xF3
      // Missing digits are invalid ones.
      {QStringLiteral("x%"), QStringLiteral("x") + QChar(0xFFFD)},
      {QStringLiteral("x%4"), QStringLiteral("x?")},
      {QStringLiteral("100%"), QStringLiteral("100") + QChar(0xFFFD)},
      // A character cut short is not UTF-8: each of its bytes is replaced.
      {QStringLiteral("%E4%B8x"), QString(2, QChar(0xFFFD)) + QStringLiteral("x")},
      {QStringLiteral("%00"), QString(QChar(0))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.toStdString());
    EXPECT_EQ(UrlDecode(c.input), c.expected);
  }
}

TEST(UrlDecode, TextWithoutPercentIsUntouched) {
  // A lone surrogate would not survive a trip through UTF-8.
  const QString odd = QStringLiteral("name") + QChar(0xD800);
  EXPECT_EQ(UrlDecode(odd), odd);
  const QString longText(5000, QLatin1Char('a'));
  EXPECT_EQ(UrlDecode(longText), longText);
}

TEST(UrlDecode, LongResultsAreCutAtACharacterBoundary) {
  const QString encodedChar = QStringLiteral("%E4%B8%AD");
  // 682 characters of 3 bytes fill 2046 bytes; the 683rd would end past the limit.
  const QString decoded = UrlDecode(encodedChar.repeated(700));
  EXPECT_EQ(decoded, QString(QChar(0x4E2D)).repeated(682));
  EXPECT_EQ(UrlDecode(QStringLiteral("a%20").repeated(1100)).toUtf8().size(), kUrlDecodeMaxBytes);
}

TEST(UrlDecode, RoundTripsRandomText) {
  QRandomGenerator random(20240611);
  for (int round = 0; round < 500; ++round) {
    QString original;
    const int length = random.bounded(40);
    for (int i = 0; i < length; ++i) {
      char32_t code;
      do code = random.bounded(4) == 0 ? random.bounded(0x80) : random.bounded(0x110000);
      while (code >= 0xD800 && code <= 0xDFFF);
      original += QString::fromUcs4(&code, 1);
    }
    // Encode some bytes, leave others (including '%'-free ASCII) as they are.
    QByteArray encoded;
    for (const char byte : original.toUtf8()) {
      const bool mustEncode = byte == '%' || (byte & 0x80) != 0;
      if (mustEncode || random.bounded(2) == 0)
        encoded += '%' + QByteArray::number(static_cast<unsigned char>(byte), 16).rightJustified(2, '0');
      else
        encoded += byte;
    }
    SCOPED_TRACE(encoded.toStdString());
    EXPECT_EQ(UrlDecode(QString::fromLatin1(encoded)), original);
  }
}

}  // namespace
}  // namespace tarvex
