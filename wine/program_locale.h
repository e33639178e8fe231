#pragma once

#include "wine/pe_resources.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// The locale a Windows program runs under. Wine takes a program's ANSI code page from the
// locale: a Korean game run under an English locale gets code page 1252, and every text
// it keeps in its own code page turns to question marks. So a program that states an East
// Asian language runs under a locale of that language, unless the user's own locale has
// it already; only the program's environment changes, never the launcher's.
namespace tarvex::wine {

// The value of a setting that means the user's own locale.
inline constexpr char kUserLocale[] = "user";

// The locale, such as "ko_KR.UTF-8", whose code page fits a program of `language`; empty
// for a language that is not Korean, Japanese or Chinese.
QString LocaleOfLanguage(LanguageId language);

// The locale the user's programs get: LC_ALL, else LC_CTYPE, else LANG of `environment`.
QString UserLocale(const QProcessEnvironment& environment);

// The locale a program is to run under, empty for the user's own:
// - `override`, when set: a setting of the user's (kUserLocale for the user's own);
// - else the first East Asian language of the version resource's translation, else the
//   East Asian language most of its resources are in (the lower id on a tie);
// - but the user's own when the program states no East Asian language, or when
//   `userLocale` is of the program's language already (for Chinese, of its script: a
//   Taiwan and a Hong Kong locale share Traditional Chinese and its code page).
QString ChooseProgramLocale(const ProgramLanguages& languages, const QString& userLocale,
                            const std::optional<QString>& override);

// The user's setting for the game `gameKey`: "locale/KEY" in the launcher's settings file
// (paths::SettingsFile()), else TARVEX_GAME_LOCALE of `environment`. None when neither is
// set, or when the value is no locale name.
std::optional<QString> LocaleSetting(const QString& gameKey, const QProcessEnvironment& environment);

// Whether the system has the locale `name`, as the C library finds it.
bool IsLocaleInstalled(const QString& name);

// What `program`, of game `gameKey`, runs under when started with `environment`: the
// locale it needs (empty for the user's own) and whether the system has it.
struct ProgramLocale {
  QString name;
  bool installed = true;
};
ProgramLocale LocaleOfProgram(const QString& program, const QString& gameKey, const QProcessEnvironment& environment);

// Sets LC_ALL and LANG of `environment` to the locale `program` needs, when the system has
// it; leaves the environment as it is otherwise, so the program still starts.
void UseProgramLocale(const QString& program, const QString& gameKey, QProcessEnvironment& environment);

}  // namespace tarvex::wine
