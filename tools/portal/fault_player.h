// Plays a chosen fault on one answer: changes the answer, delays it, cuts it into
// pieces, or acts on the connection itself, then hands the result to the HTTP library.
#pragma once

#include <optional>

#include <httplib.h>

#include "connection.h"
#include "fault_plan.h"
#include "reply.h"
#include "stop_flag.h"

namespace portal {

class FaultPlayer {
 public:
  FaultPlayer(Connection& connection, const StopFlag& stop);

  void Play(const std::optional<Fault>& fault, const httplib::Request& request, Reply reply,
            httplib::Response& response);

  // The address a redirect fault sends the client to: the same target, with its hop
  // count one higher.
  static std::string NextHop(const std::string& target, uint64_t hop);
  // The hop count a redirected request carries (0 when none).
  static uint64_t HopOf(const httplib::Request& request);
  // The bytes the garbage fault sends instead of an HTTP answer.
  static std::string Garbage();

 private:
  void Send(Reply reply, const std::optional<Fault>& fault, httplib::Response& response);

  Connection& m_connection;
  const StopFlag& m_stop;
};

}  // namespace portal
