#pragma once

#include <QString>

namespace tarvex {

// The decoded form of UrlDecode is at most this many bytes of UTF-8.
inline constexpr qsizetype kUrlDecodeMaxBytes = 2047;

// Percent-decoding over the UTF-8 form of `text`. Each '%' takes the next two characters
// as hexadecimal digits (high digit first) and yields the byte (high * 16 + low) mod 256,
// where an invalid or missing high digit counts as 15 and an invalid or missing low digit
// as 255, so "%zz" yields 0xEF. '+' stays '+'. The bytes are read back as UTF-8; a
// sequence that is not valid UTF-8 becomes U+FFFD. Text without '%' comes back
// unchanged, whatever its length.
//
// Decoded text longer than kUrlDecodeMaxBytes is cut to that many bytes, and the cut
// moves back to the start of a character that would otherwise be split, so a cut never
// adds a replacement character of its own.
QString UrlDecode(const QString& text);

}  // namespace tarvex
