#include "wine/program_locale.h"

#include "platform/paths.h"
#include "platform/trace.h"

#include <QRegularExpression>
#include <QSettings>

#include <locale.h>

namespace tarvex::wine {
namespace {

constexpr LanguageId kPrimaryMask = 0x3ff;
constexpr LanguageId kChinese = 0x04;
constexpr LanguageId kJapanese = 0x11;
constexpr LanguageId kKorean = 0x12;

const QString kKoreanLocale = QStringLiteral("ko_KR.UTF-8");
const QString kJapaneseLocale = QStringLiteral("ja_JP.UTF-8");
const QString kSimplifiedLocale = QStringLiteral("zh_CN.UTF-8");
const QString kTaiwanLocale = QStringLiteral("zh_TW.UTF-8");
const QString kHongKongLocale = QStringLiteral("zh_HK.UTF-8");

// What decides a locale's code page for these languages: the language, and for Chinese
// the script, which its territory tells ("zh" alone is Simplified, as glibc has it).
QString ScriptGroup(const QString& locale) {
  static const QRegularExpression name(QStringLiteral("^([a-z]+)(?:_([A-Za-z]+))?"));
  const auto match = name.match(locale);
  if (!match.hasMatch()) return QString();
  const QString language = match.captured(1);
  if (language != QLatin1String("zh")) return language;
  const QString territory = match.captured(2).toUpper();
  const bool traditional = territory == QLatin1String("TW") || territory == QLatin1String("HK") ||
                           territory == QLatin1String("MO");
  return traditional ? QStringLiteral("zh-Hant") : QStringLiteral("zh-Hans");
}

QString FirstEastAsian(const QList<LanguageId>& languages) {
  for (const LanguageId language : languages) {
    if (const QString locale = LocaleOfLanguage(language); !locale.isEmpty()) return locale;
  }
  return QString();
}

QString MostUsedEastAsian(const QMap<LanguageId, int>& languages) {
  QString chosen;
  int most = 0;
  // In ascending order of id: a later language wins only with more resources.
  for (auto it = languages.cbegin(); it != languages.cend(); ++it) {
    const QString locale = LocaleOfLanguage(it.key());
    if (!locale.isEmpty() && it.value() > most) {
      chosen = locale;
      most = it.value();
    }
  }
  return chosen;
}

// A setting's value as a locale name, none for what cannot be one.
std::optional<QString> LocaleName(const QString& value) {
  static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_.@-]{1,64}$"));
  const QString trimmed = value.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  if (!valid.match(trimmed).hasMatch()) {
    TraceFormat(QStringLiteral("----------game locale setting ignored----------%s\n"), trimmed);
    return std::nullopt;
  }
  return trimmed;
}

}  // namespace

QString LocaleOfLanguage(LanguageId language) {
  switch (language & kPrimaryMask) {
    case kKorean:
      return kKoreanLocale;
    case kJapanese:
      return kJapaneseLocale;
    case kChinese:
      break;
    default:
      return QString();
  }
  switch (language) {
    case 0x0004:  // Chinese, Simplified script
    case 0x0804:  // China
    case 0x1004:  // Singapore
      return kSimplifiedLocale;
    case 0x0404:  // Taiwan
    case 0x7c04:  // Chinese, Traditional script
      return kTaiwanLocale;
    case 0x0c04:  // Hong Kong
    case 0x1404:  // Macao
      return kHongKongLocale;
    default:
      return QString();
  }
}

QString UserLocale(const QProcessEnvironment& environment) {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const QString value = environment.value(QLatin1String(variable));
    if (!value.isEmpty()) return value;
  }
  return QString();
}

QString ChooseProgramLocale(const ProgramLanguages& languages, const QString& userLocale,
                            const std::optional<QString>& override) {
  if (override) return *override == QLatin1String(kUserLocale) ? QString() : *override;
  QString locale = FirstEastAsian(languages.translations);
  if (locale.isEmpty()) locale = MostUsedEastAsian(languages.resources);
  if (locale.isEmpty() || ScriptGroup(locale) == ScriptGroup(userLocale)) return QString();
  return locale;
}

std::optional<QString> LocaleSetting(const QString& gameKey, const QProcessEnvironment& environment) {
  const QSettings settings(paths::SettingsFile(), QSettings::IniFormat);
  const QString key = QStringLiteral("locale/") + gameKey;
  if (!gameKey.isEmpty() && settings.contains(key)) {
    if (auto own = LocaleName(settings.value(key).toString())) return own;
  }
  return LocaleName(environment.value(QStringLiteral("TARVEX_GAME_LOCALE")));
}

bool IsLocaleInstalled(const QString& name) {
  const locale_t locale = ::newlocale(LC_CTYPE_MASK, name.toLocal8Bit().constData(), locale_t(nullptr));
  if (locale == locale_t(nullptr)) return false;
  ::freelocale(locale);
  return true;
}

ProgramLocale LocaleOfProgram(const QString& program, const QString& gameKey, const QProcessEnvironment& environment) {
  const std::optional<QString> setting = LocaleSetting(gameKey, environment);
  // A setting decides without the program's resources being read.
  const QString name = ChooseProgramLocale(setting ? ProgramLanguages() : ProgramLanguagesOf(program),
                                           UserLocale(environment), setting);
  return {name, name.isEmpty() || IsLocaleInstalled(name)};
}

void UseProgramLocale(const QString& program, const QString& gameKey, QProcessEnvironment& environment) {
  const ProgramLocale locale = LocaleOfProgram(program, gameKey, environment);
  if (locale.name.isEmpty()) return;
  if (!locale.installed) {
    TraceFormat(QStringLiteral("----------game locale not installed----------%s\n"), locale.name);
    return;
  }
  environment.insert(QStringLiteral("LC_ALL"), locale.name);
  environment.insert(QStringLiteral("LANG"), locale.name);
}

}  // namespace tarvex::wine
