// Address fields: the first byte picks the field, the rest is the address.
#include "fuzz/fuzz_check.h"
#include "portal/address_field.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int index = static_cast<int8_t>(data[0]);
  const QString text = tarvex::fuzz::Utf8Text(data + 1, size - 1);

  const QString field = tarvex::AddressField(text, index);
  TARVEX_FUZZ_REQUIRE(!field.contains(QLatin1Char('/')), text);
  const qsizetype fieldCount = text.count(QLatin1Char('/')) + 1;
  if (index < 0 || index >= fieldCount) TARVEX_FUZZ_REQUIRE(field.isEmpty(), text);

  // The fields put back together with '/' are the address.
  QStringList fields;
  for (int at = 0; at < fieldCount; ++at) fields << tarvex::AddressField(text, at);
  TARVEX_FUZZ_REQUIRE(fields.join(QLatin1Char('/')) == text, text);
  return 0;
}
