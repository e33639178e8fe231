// The start-address rules: the portal host, the token and the launch parameter as three
// strings ("\\" followed by another character ends a string, "\\\\" is one backslash).
#include "fuzz/fuzz_check.h"
#include "portal/address_field.h"
#include "portal/launch_parameter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

namespace {

QString NextText(FuzzedDataProvider& input) { return QString::fromStdString(input.ConsumeRandomLengthString()); }

// What the program puts after the host goes into a request line: printable ASCII, no '#'.
bool IsSafeTarget(const QString& target) {
  for (const QChar c : target) {
    if (c.unicode() < 0x21 || c.unicode() > 0x7E || c == QLatin1Char('#')) return false;
  }
  return true;
}

// The standard library's reading of the same text, for ASCII text without a NUL.
void CompareWithStrtol(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() == 0 || c.unicode() > 0x7F) return;
  }
  const QByteArray ascii = text.toLatin1();
  errno = 0;
  const long expected = std::strtol(ascii.constData(), nullptr, 10);
  TARVEX_FUZZ_REQUIRE(tarvex::LeadingDecimalValue(text) == expected, text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::setlocale(LC_ALL, "C");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const QString host = NextText(input);
  const QString token = NextText(input);
  const QString parameter = QString::fromStdString(input.ConsumeRemainingBytesAsString());

  const QString address = tarvex::StartAddress(host, token, parameter);
  TARVEX_FUZZ_REQUIRE(address.startsWith(host + QStringLiteral("/mini/")), address);
  TARVEX_FUZZ_REQUIRE(IsSafeTarget(address.mid(host.size())), address);

  CompareWithStrtol(parameter);
  CompareWithStrtol(token);
  const bool gpuOff = tarvex::ParameterDisablesGpu(parameter);
  TARVEX_FUZZ_REQUIRE(!gpuOff || (parameter.size() >= 3 && parameter.size() <= 5), parameter);

  const QString payField = tarvex::PayField(parameter);
  TARVEX_FUZZ_REQUIRE(!payField.contains(QLatin1Char('/')), parameter);
  return 0;
}
