#include "reply.h"

#include <algorithm>
#include <memory>

namespace portal {

Reply Reply::Text(int status, std::string content_type, std::string body) {
  Reply reply;
  reply.status = status;
  reply.content_type = std::move(content_type);
  auto shared = std::make_shared<const std::string>(std::move(body));
  reply.size = shared->size();
  reply.read = [shared](uint64_t offset, size_t max_bytes) {
    return offset >= shared->size() ? std::string() : shared->substr(offset, max_bytes);
  };
  return reply;
}

Reply Reply::Redirect(const std::string& location, int status) {
  Reply reply = Text(status, "text/plain; charset=utf-8", "Moved to " + location + "\n");
  reply.headers.emplace_back("Location", location);
  return reply;
}

std::string Reply::Body() const {
  std::string body;
  while (body.size() < size) {
    const std::string piece = read(body.size(), static_cast<size_t>(std::min<uint64_t>(1 << 16, size - body.size())));
    if (piece.empty()) break;
    body += piece;
  }
  return body;
}

}  // namespace portal
