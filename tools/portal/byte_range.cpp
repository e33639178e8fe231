#include "byte_range.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

namespace portal {

namespace {

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Header(const Reply& reply, const std::string& name) {
  for (const auto& [key, value] : reply.headers) {
    if (key == name) return value;
  }
  return {};
}

// The validator the client was sent: an If-Range that matches neither has seen another
// version of the file, so it gets the whole of this one.
bool StillCurrent(const Reply& reply, const std::string& if_range) {
  if (if_range.empty()) return true;
  return if_range == Header(reply, "ETag") || if_range == Header(reply, "Last-Modified");
}

}  // namespace

Reply ByteRange::Apply(Reply reply, const std::string& range, const std::string& if_range) {
  constexpr std::string_view kUnit = "bytes=";
  if (reply.status != 200 || !range.starts_with(kUnit) || !StillCurrent(reply, if_range)) return reply;
  const std::string_view asked = std::string_view(range).substr(kUnit.size());
  const size_t dash = asked.find('-');
  if (dash == std::string_view::npos || asked.find(',') != std::string_view::npos) return reply;
  const auto first = Number(asked.substr(0, dash));
  const std::string_view last_text = asked.substr(dash + 1);
  const auto last = last_text.empty() ? std::optional<uint64_t>(UINT64_MAX) : Number(last_text);
  if (!first || !last || *last < *first) return reply;

  const std::string total = std::to_string(reply.size);
  if (*first >= reply.size) {
    Reply refused = Reply::Text(416, "text/plain; charset=utf-8", "");
    refused.headers.emplace_back("Content-Range", "bytes */" + total);
    return refused;
  }
  const uint64_t end = std::min(*last, reply.size - 1);
  Reply part = reply;
  part.status = 206;
  part.size = end - *first + 1;
  part.read = [whole = std::make_shared<Reply::Reader>(std::move(reply.read)), offset = *first](
                  uint64_t at, size_t max_bytes) { return (*whole)(offset + at, max_bytes); };
  part.headers.emplace_back("Content-Range",
                            "bytes " + std::to_string(*first) + "-" + std::to_string(end) + "/" + total);
  return part;
}

}  // namespace portal
