// Which game address the portal hands out for which login token.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace portal {

class TokenTable {
 public:
  // The table a plain start uses (documented in README.md).
  static TokenTable Builtin();

  // Parses the table file format of README.md. Returns nothing and fills *error when a
  // line cannot be understood.
  static std::optional<TokenTable> Parse(const std::string& text, std::string* error);
  static std::optional<TokenTable> Load(const std::string& path, std::string* error);

  // The flat JSON answer for the token, with "{host}" standing for the request's host;
  // nothing for a token the table does not know.
  std::optional<std::string> Answer(const std::string& token, const std::string& host) const;

  // The game address (scheme and host included) the token leads to, or empty text.
  std::string Address(const std::string& token, const std::string& host) const;

 private:
  struct Entry {
    std::string code;     // empty with a literal body
    std::string address;  // path or full address; may be empty
    std::string body;     // literal answer, used as is when set
  };

  std::map<std::string, Entry> m_entries;
};

}  // namespace portal
