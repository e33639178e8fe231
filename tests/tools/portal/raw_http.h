// A bare-socket HTTP client for the portal tests: it sends exactly the bytes given and
// records exactly what comes back, when, and how the connection ended.
#pragma once

#include <chrono>
#include <map>
#include <string>

struct RawExchange {
  std::string received;
  bool reset = false;     // the connection ended with ECONNRESET
  bool timed_out = false;  // the time limit passed before the peer closed
  std::chrono::milliseconds first_byte{-1};
  std::chrono::milliseconds elapsed{0};
  int pieces = 0;  // separate reads that returned data

  // The parts of an HTTP answer (status 0 when the bytes are not one).
  int Status() const;
  std::string Header(const std::string& name) const;
  std::string Body() const;
};

// Connects to 127.0.0.1:port, sends the bytes and reads until the peer closes.
RawExchange Exchange(int port, const std::string& bytes, int timeout_ms = 10000);

// "GET target HTTP/1.0" with a Host header, the way the launcher asks.
RawExchange Get(int port, const std::string& target, const std::string& extra_headers = "");
