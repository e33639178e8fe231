#include "request_log.h"

#include <chrono>
#include <ctime>
#include <strings.h>
#include <utility>
#include <vector>

#include "text_codec.h"

namespace portal {

RequestLog::~RequestLog() {
  if (m_file) std::fclose(m_file);
}

bool RequestLog::Open(const std::string& path) {
  m_file = std::fopen(path.c_str(), "a");
  return m_file != nullptr;
}

std::string RequestLog::Line(const std::string& time, const std::string& request_line,
                             const httplib::Request& request) {
  const std::string_view target = request.target;
  const size_t mark = target.find('?');
  std::string line = "{\"time\":" + JsonQuote(time) + ",\"method\":" + JsonQuote(request.method) +
                     ",\"request_line\":" + JsonQuote(request_line) +
                     ",\"version\":" + JsonQuote(request.version) +
                     ",\"path\":" + JsonQuote(request.path) +
                     ",\"query\":" + JsonQuote(mark == std::string_view::npos ? "" : target.substr(mark + 1)) +
                     ",\"headers\":{";
  // Repeated headers are joined with ", " as HTTP allows, so every name appears once.
  // The header map is ordered case-insensitively, so repeats are neighbours.
  std::vector<std::pair<std::string, std::string>> joined;
  for (const auto& [name, value] : request.headers) {
    // The library files the peer's and its own address among the headers.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
    if (!joined.empty() && strcasecmp(joined.back().first.c_str(), name.c_str()) == 0) {
      joined.back().second += ", " + value;
    } else {
      joined.emplace_back(name, value);
    }
  }
  for (size_t i = 0; i < joined.size(); ++i) {
    line += (i ? "," : "") + JsonQuote(joined[i].first) + ":" + JsonQuote(joined[i].second);
  }
  line += "},\"remote\":" + JsonQuote(request.remote_addr + ":" + std::to_string(request.remote_port)) +
          ",\"body_bytes\":" + std::to_string(request.body.size()) + "}";
  return line;
}

std::string RequestLog::RejectedLine(const std::string& time, const std::string& request_line) {
  return "{\"time\":" + JsonQuote(time) + ",\"rejected\":true,\"request_line\":" + JsonQuote(request_line) + "}";
}

void RequestLog::Append(const std::string& line) {
  const std::lock_guard lock(m_mutex);
  if (!m_file) return;
  std::fputs(line.c_str(), m_file);
  std::fputc('\n', m_file);
  std::fflush(m_file);
}

std::string RequestLog::Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
  return buffer;
}

}  // namespace portal
