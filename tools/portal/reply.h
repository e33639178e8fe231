// What a route answers, before faults are applied and before it goes on the wire. Bodies
// are read piece by piece, so large ones (padded installers) are never held in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace portal {

struct Reply {
  // Gives at most max_bytes of the body from offset on (less only at its end).
  using Reader = std::function<std::string(uint64_t offset, size_t max_bytes)>;

  int status = 200;
  std::string content_type = "text/html; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers;
  uint64_t size = 0;
  Reader read;

  static Reply Text(int status, std::string content_type, std::string body);
  static Reply Html(std::string body) { return Text(200, "text/html; charset=utf-8", std::move(body)); }
  static Reply Redirect(const std::string& location, int status = 302);

  // The whole body (for tests and small bodies).
  std::string Body() const;
};

}  // namespace portal
