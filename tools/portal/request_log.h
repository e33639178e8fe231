// One JSON line per request received, appended and flushed at once, so that a test can
// read exactly what a client sent while the portal keeps running.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include <httplib.h>

namespace portal {

class RequestLog {
 public:
  RequestLog() = default;
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  // Opens the file for appending; false when it cannot be opened.
  bool Open(const std::string& path);

  // The line for a request that was understood as HTTP.
  static std::string Line(const std::string& time, const std::string& request_line,
                          const httplib::Request& request);
  // The line for bytes that were not a request the portal could read.
  static std::string RejectedLine(const std::string& time, const std::string& request_line);

  void Append(const std::string& line);

  // UTC time of now as "2024-05-01T12:00:00.123Z".
  static std::string Now();

 private:
  std::mutex m_mutex;
  std::FILE* m_file = nullptr;
};

}  // namespace portal
