#include "token_table.h"

#include <fstream>
#include <sstream>

#include "text_codec.h"

namespace portal {

namespace {

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool sign = i == 0 && text[i] == '-' && text.size() > 1;
    if (!sign && (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

constexpr const char* kBuiltinTable = R"(# token    code  address
WEBGAME1   1     /mini/play/web/1001/7/%E9%BE%99%E4%B9%8B%E6%80%92/dragonfans
CLIENTG1   2     /game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/PARAMS123
NOGAME00   0
SHORTPRM   2     /game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/abc
STRCODE2   body  {"url":"http:\/\/{host}\/game_play\/srv7\/hero\/%ED%9E%88%EC%96%B4%EB%A1%9C\/PARAMS123","code":"2"}
)";

}  // namespace

TokenTable TokenTable::Builtin() {
  std::string error;
  return *Parse(kBuiltinTable, &error);
}

std::optional<TokenTable> TokenTable::Parse(const std::string& text, std::string* error) {
  TokenTable table;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string token;
    std::string code;
    if (!(words >> token) || token[0] == '#') continue;
    if (!(words >> code)) {
      *error = "line " + std::to_string(number) + ": a token needs a code";
      return std::nullopt;
    }
    Entry entry;
    if (code == "body") {
      std::getline(words >> std::ws, entry.body);
      if (entry.body.empty()) {
        *error = "line " + std::to_string(number) + ": \"body\" needs the answer text";
        return std::nullopt;
      }
    } else {
      entry.code = code;
      words >> entry.address;
      std::string extra;
      if (words >> extra) {
        *error = "line " + std::to_string(number) + ": unexpected text \"" + extra + "\"";
        return std::nullopt;
      }
    }
    table.m_entries[token] = entry;
  }
  return table;
}

std::optional<TokenTable> TokenTable::Load(const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return Parse(text.str(), error);
}

std::string TokenTable::Address(const std::string& token, const std::string& host) const {
  const auto found = m_entries.find(token);
  if (found == m_entries.end() || found->second.address.empty()) return {};
  const std::string& address = found->second.address;
  if (address[0] == '/') return "http://" + host + address;
  return ReplaceAll(address, "{host}", host);
}

std::optional<std::string> TokenTable::Answer(const std::string& token,
                                              const std::string& host) const {
  const auto found = m_entries.find(token);
  if (found == m_entries.end()) return std::nullopt;
  const Entry& entry = found->second;
  if (!entry.body.empty()) return ReplaceAll(entry.body, "{host}", host);
  std::string answer = "{\"code\":" + (IsNumber(entry.code) ? entry.code : JsonQuote(entry.code));
  const std::string address = Address(token, host);
  if (!address.empty()) answer += ",\"url\":" + JsonQuote(address, true);
  return answer + "}";
}

}  // namespace portal
