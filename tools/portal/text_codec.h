// Small text helpers shared by the portal's pages, answers and log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portal {

// JSON string literal (with quotes). With escape_slashes every '/' is written "\/",
// as the portal's game-address answer does.
std::string JsonQuote(std::string_view text, bool escape_slashes = false);

// Text safe inside HTML element content and double-quoted attribute values.
std::string HtmlEscape(std::string_view text);

// %XX sequences decoded byte by byte ('+' stays '+'); malformed escapes are kept as they are.
std::string PercentDecode(std::string_view text);

// Every byte outside the unreserved set written as %XX.
std::string PercentEncode(std::string_view text);

// The text split at every separator; n separators always give n + 1 fields.
std::vector<std::string> SplitFields(std::string_view text, char separator);

// The text with every occurrence of from replaced by to.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// The path part of a request target (everything before the first '?').
std::string_view TargetPath(std::string_view target);

}  // namespace portal
