// The portal's flat answer object, read without a JSON parser.
#include "fuzz/fuzz_check.h"
#include "portal/answer_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = tarvex::fuzz::Utf8Text(data, size);
  const QMap<QString, QString> fields = tarvex::ParseAnswerFields(text);

  QString flat = text;
  flat.remove(QLatin1Char('"')).remove(QLatin1Char('{')).remove(QLatin1Char('}'));
  TARVEX_FUZZ_REQUIRE(!fields.isEmpty(), text);
  TARVEX_FUZZ_REQUIRE(fields.size() <= flat.count(QLatin1Char(',')) + 1, text);
  for (auto field = fields.cbegin(); field != fields.cend(); ++field) {
    for (const QString& part : {field.key(), field.value()}) {
      TARVEX_FUZZ_REQUIRE(!part.contains(QLatin1Char('"')) && !part.contains(QLatin1Char('{')) &&
                              !part.contains(QLatin1Char('}')) && !part.contains(QLatin1Char(',')),
                          text);
    }
    TARVEX_FUZZ_REQUIRE(!field.key().contains(QLatin1Char(':')), text);
    // Every field is a piece of the flattened text.
    TARVEX_FUZZ_REQUIRE(flat.contains(field.value()), text);
  }
  return 0;
}
