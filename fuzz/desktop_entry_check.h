#pragma once

#include "fuzz/fuzz_check.h"
#include "install/launch_decision.h"

#include <QStringList>

#include <optional>

// Reads a desktop entry back the way a desktop does and checks that it says exactly what
// the shortcut asks for: these seven lines and no other (so never a MimeType line), the
// name, icon, game key and the Exec arguments unchanged.
namespace tarvex::fuzz {

// A string value's escapes (\s \n \t \r \\); none when the value holds any other.
inline std::optional<QString> UnescapeValue(const QString& raw) {
  QString value;
  for (qsizetype at = 0; at < raw.size(); ++at) {
    if (raw.at(at) != QLatin1Char('\\')) {
      value += raw.at(at);
      continue;
    }
    if (++at == raw.size()) return std::nullopt;
    switch (raw.at(at).unicode()) {
      case 's': value += QLatin1Char(' '); break;
      case 'n': value += QLatin1Char('\n'); break;
      case 't': value += QLatin1Char('\t'); break;
      case 'r': value += QLatin1Char('\r'); break;
      case '\\': value += QLatin1Char('\\'); break;
      default: return std::nullopt;
    }
  }
  return value;
}

// The Exec line's arguments: every one in double quotes, separated by one blank, inside
// the quotes '\\' before '"', '`', '$' or '\\' only, '%' only as "%%".
inline std::optional<QStringList> ExecArguments(const QString& exec) {
  QStringList arguments;
  qsizetype at = 0;
  while (at < exec.size()) {
    if (!arguments.isEmpty() && exec.at(at++) != QLatin1Char(' ')) return std::nullopt;
    if (at == exec.size() || exec.at(at++) != QLatin1Char('"')) return std::nullopt;
    QString argument;
    for (;;) {
      if (at == exec.size()) return std::nullopt;
      const QChar c = exec.at(at++);
      if (c == QLatin1Char('"')) break;
      if (c == QLatin1Char('`') || c == QLatin1Char('$')) return std::nullopt;
      if (c == QLatin1Char('%')) {
        if (at == exec.size() || exec.at(at++) != QLatin1Char('%')) return std::nullopt;
      } else if (c == QLatin1Char('\\')) {
        if (at == exec.size() || !QStringLiteral("\"`$\\").contains(exec.at(at))) return std::nullopt;
        argument += exec.at(at++);
        continue;
      }
      argument += c;
    }
    arguments << argument;
  }
  return arguments;
}

inline void CheckDesktopEntry(const launch::Shortcut& shortcut, const QString& launcher, const QString& text) {
  const QStringList lines = text.split(QLatin1Char('\n'));
  TARVEX_FUZZ_REQUIRE(lines.size() == 8 && lines.last().isEmpty(), text);
  TARVEX_FUZZ_REQUIRE(lines.at(0) == QLatin1String("[Desktop Entry]"), text);
  TARVEX_FUZZ_REQUIRE(lines.at(1) == QLatin1String("Type=Application"), text);
  const char* keys[] = {"Name=", "Exec=", "Comment=", "Icon=", "X-Tarvex-Game="};
  QStringList values;
  for (int at = 0; at < 5; ++at) {
    const QString& line = lines.at(at + 2);
    TARVEX_FUZZ_REQUIRE(line.startsWith(QLatin1String(keys[at])), text);
    const std::optional<QString> value = UnescapeValue(line.mid(qsizetype(qstrlen(keys[at]))));
    TARVEX_FUZZ_REQUIRE(value.has_value(), text);
    values << *value;
  }
  TARVEX_FUZZ_REQUIRE(values.at(0) == shortcut.name, text);
  TARVEX_FUZZ_REQUIRE(values.at(2) == launcher, text);
  TARVEX_FUZZ_REQUIRE(values.at(3) == shortcut.icon, text);
  TARVEX_FUZZ_REQUIRE(values.at(4) == shortcut.key, text);
  QStringList expected{launcher};
  if (!shortcut.arguments.isEmpty()) expected << shortcut.arguments;
  const std::optional<QStringList> arguments = ExecArguments(values.at(1));
  TARVEX_FUZZ_REQUIRE(arguments.has_value() && *arguments == expected, text);
}

}  // namespace tarvex::fuzz
