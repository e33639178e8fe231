#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// The launch parameter: the arguments after the program's name joined by single blanks,
// as a shell association passes them; a single argument stays exactly as given
// (quotes, inner and trailing blanks included).
QString LaunchParameterFromArguments(const QStringList& argumentsAfterProgram);

// The decimal value at the start of `text`: leading white space skipped, an optional
// sign, digits up to the first other character, 0 without digits. Out-of-range values
// stop at the limits of long, as wcstol does.
long LeadingDecimalValue(const QString& text);

// Whether the launch parameter switches GPU use off: 3 to 5 characters with the value 121.
bool ParameterDisablesGpu(const QString& parameter);

// The pay field of a pay link: field 2 of the parameter split at '/'.
QString PayField(const QString& parameter);

// The address the main browser opens first, as host and path without a scheme, e.g.
// "127.0.0.1:8800/mini/index/". Later rules replace earlier ones: the token's
// server-information page or the portal index; the servers page for a parameter of 3 to 5
// characters; the pay page for a parameter of more than 6 characters containing "zpay://".
QString StartAddress(const QString& portalHost, const QString& loginToken, const QString& parameter);

}  // namespace tarvex
