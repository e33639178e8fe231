#pragma once

#include "fuzz/fuzz_check.h"
#include "install/launch_decision.h"

#include <QStringList>

#include <optional>

// Reads a desktop entry back the way a desktop does and checks that it says exactly what
// the shortcut asks for: these lines and no other (so never a MimeType line), the name,
// icon, game key and the Exec arguments unchanged, and actions that run the companion with
// the game's key as one argument.
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

// The values of a group's lines, which must have exactly `keys`, in that order.
inline QStringList GroupValues(const QStringList& lines, const QStringList& keys, const QString& text) {
  TARVEX_FUZZ_REQUIRE(lines.size() == keys.size(), text);
  QStringList values;
  for (qsizetype at = 0; at < keys.size(); ++at) {
    TARVEX_FUZZ_REQUIRE(lines.at(at).startsWith(keys.at(at)), text);
    const std::optional<QString> value = UnescapeValue(lines.at(at).mid(keys.at(at).size()));
    TARVEX_FUZZ_REQUIRE(value.has_value(), text);
    values << *value;
  }
  return values;
}

// The entry: its main group, then one group per action, each running the companion with
// the action and the game's key.
inline void CheckDesktopEntry(const launch::Shortcut& shortcut, const QString& launcher, const QString& companion,
                              const QString& text) {
  TARVEX_FUZZ_REQUIRE(text.endsWith(QLatin1Char('\n')), text);
  const QStringList groups = text.chopped(1).split(QStringLiteral("\n\n"));
  TARVEX_FUZZ_REQUIRE(groups.size() == 4, text);
  const QStringList main = groups.at(0).split(QLatin1Char('\n'));
  TARVEX_FUZZ_REQUIRE(main.size() > 2 && main.at(0) == QLatin1String("[Desktop Entry]") &&
                          main.at(1) == QLatin1String("Type=Application"),
                      text);
  const QStringList values = GroupValues(main.mid(2),
                                         {"Name=", "Exec=", "Comment=", "Icon=", "Categories=", "StartupWMClass=",
                                          "Actions=", "X-Tarvex-Game="},
                                         text);
  TARVEX_FUZZ_REQUIRE(values.at(0) == shortcut.name, text);
  TARVEX_FUZZ_REQUIRE(values.at(2) == launcher, text);
  TARVEX_FUZZ_REQUIRE(values.at(3) == shortcut.icon, text);
  TARVEX_FUZZ_REQUIRE(values.at(4) == QLatin1String("Game;"), text);
  TARVEX_FUZZ_REQUIRE(values.at(5) == (shortcut.key + QStringLiteral(".exe")).toLower(), text);
  TARVEX_FUZZ_REQUIRE(values.at(6) == QLatin1String("uninstall;stop;log;"), text);
  TARVEX_FUZZ_REQUIRE(values.at(7) == shortcut.key, text);
  QStringList expected{launcher};
  if (!shortcut.arguments.isEmpty()) expected << shortcut.arguments;
  const std::optional<QStringList> arguments = ExecArguments(values.at(1));
  TARVEX_FUZZ_REQUIRE(arguments.has_value() && *arguments == expected, text);
  const QStringList actions = values.at(6).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (qsizetype at = 0; at < actions.size(); ++at) {
    const QStringList lines = groups.at(at + 1).split(QLatin1Char('\n'));
    TARVEX_FUZZ_REQUIRE(lines.at(0) == QStringLiteral("[Desktop Action %1]").arg(actions.at(at)), text);
    const QStringList action =
        GroupValues(lines.mid(1), {"Name=", "Name[ko]=", "Name[zh_CN]=", "Name[zh_TW]=", "Exec="}, text);
    const std::optional<QStringList> command = ExecArguments(action.at(4));
    TARVEX_FUZZ_REQUIRE(command.has_value() && *command == (QStringList{companion, actions.at(at), shortcut.key}),
                        text);
  }
}

}  // namespace tarvex::fuzz
