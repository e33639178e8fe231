// A Windows program's resources, read for its language: any bytes, as a whole file and as
// a resource section alone, read within bounds and to bounded results, and the locale
// chosen from them one of the few there are.
#include "fuzz/fuzz_check.h"
#include "wine/pe_resources.h"
#include "wine/program_locale.h"

#include <numeric>

namespace {

namespace wine = tarvex::wine;

constexpr int kMostTranslations = 64;
constexpr int kMostResources = 4096;

void CheckLanguages(const wine::ProgramLanguages& languages, const QString& what) {
  TARVEX_FUZZ_REQUIRE(languages.translations.size() <= kMostTranslations, what);
  const int resources = std::accumulate(languages.resources.cbegin(), languages.resources.cend(), 0);
  TARVEX_FUZZ_REQUIRE(resources <= kMostResources, what);
  const QString locale = wine::ChooseProgramLocale(languages, QStringLiteral("C.UTF-8"), std::nullopt);
  static const QStringList locales = {QString(), "ko_KR.UTF-8", "ja_JP.UTF-8", "zh_CN.UTF-8", "zh_TW.UTF-8",
                                      "zh_HK.UTF-8"};
  TARVEX_FUZZ_REQUIRE(locales.contains(locale), what + QStringLiteral(": ") + locale);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  CheckLanguages(wine::ReadProgramLanguages(bytes), QStringLiteral("image"));
  CheckLanguages(wine::ReadResourceLanguages(bytes, 0x1000), QStringLiteral("section"));
  if (const auto span = wine::FindResources(bytes)) TARVEX_FUZZ_REQUIRE(span->size > 0, QStringLiteral("empty span"));
  return 0;
}
