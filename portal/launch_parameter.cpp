#include "portal/launch_parameter.h"

#include "portal/address_field.h"
#include "portal/login_token_reader.h"
#include "portal/target_encoding.h"

#include <climits>

namespace tarvex {
namespace {

constexpr int kGpuOffValue = 121;

bool IsShortNumberLength(const QString& parameter) {
  return parameter.size() >= 3 && parameter.size() <= 5;
}

bool IsPayLink(const QString& parameter) {
  return parameter.size() > 6 && parameter.contains(QStringLiteral("zpay://"));
}

// The white space that wcstol skips in the C locale.
bool IsLeadingSpace(QChar c) {
  return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
}

}  // namespace

QString LaunchParameterFromArguments(const QStringList& argumentsAfterProgram) {
  return argumentsAfterProgram.join(QLatin1Char(' '));
}

long LeadingDecimalValue(const QString& text) {
  qsizetype at = 0;
  while (at < text.size() && IsLeadingSpace(text.at(at))) ++at;
  bool negative = false;
  if (at < text.size() && (text.at(at) == QLatin1Char('+') || text.at(at) == QLatin1Char('-'))) {
    negative = text.at(at) == QLatin1Char('-');
    ++at;
  }
  // Accumulated as a negative number so that LONG_MIN is reachable without overflow.
  long value = 0;
  for (; at < text.size() && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9'); ++at) {
    const long digit = text.at(at).unicode() - u'0';
    if (value < (LONG_MIN + digit) / 10) return negative ? LONG_MIN : LONG_MAX;
    value = value * 10 - digit;
  }
  if (negative) return value;
  return value == LONG_MIN ? LONG_MAX : -value;
}

bool ParameterDisablesGpu(const QString& parameter) {
  return IsShortNumberLength(parameter) && LeadingDecimalValue(parameter) == kGpuOffValue;
}

QString PayField(const QString& parameter) { return AddressField(parameter, 2); }

QString StartAddress(const QString& portalHost, const QString& loginToken, const QString& parameter) {
  QString address = IsUsableToken(loginToken)
                        ? portalHost + QStringLiteral("/mini/server_inf_data/?key=") + EncodeTargetValue(loginToken)
                        : portalHost + QStringLiteral("/mini/index/");
  if (IsShortNumberLength(parameter))
    address = portalHost + QStringLiteral("/mini/servers/") + EncodeTargetValue(parameter);
  if (IsPayLink(parameter))
    address = portalHost + QStringLiteral("/mini/pay_app/?") + EncodeTargetValue(PayField(parameter));
  return address;
}

}  // namespace tarvex
