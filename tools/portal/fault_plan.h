// Faults the portal plays on purpose, chosen per path prefix at start or per request by
// the "fault" query parameter, so that clients can be tested against a misbehaving peer.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace portal {

struct Fault {
  enum class Kind { Delay, Status, Redirect, RedirectLoop, Oversize, Pieces, Reset, Cut, Garbage, Stall };

  Kind kind = Kind::Delay;
  // Delay/Stall: milliseconds; Status: the code; Redirect: hops; Oversize: body bytes;
  // Pieces: number of pieces; Reset: body bytes sent before the reset (0: half); Cut: body
  // bytes sent before the connection is closed (0: half).
  uint64_t amount = 0;
  // Pieces: pause between pieces in milliseconds.
  uint64_t pause_ms = 0;

  // "delay:300", "status:500", "404", "redirect:2", "chunks:4:250" ... (README.md).
  static std::optional<Fault> Parse(const std::string& text);
};

class FaultPlan {
 public:
  // Adds a rule "PATH_PREFIX=MODE"; false when either part is malformed.
  bool AddRule(const std::string& rule);

  // The fault for a request: its "fault" parameter first (empty when absent), then the
  // longest matching path prefix. A redirect that has made its hops is no fault any more;
  // a cut by rule strikes the first request for each path only, so that a retry resumes.
  // Malformed query faults are reported through *error and give no fault.
  std::optional<Fault> Find(const std::string& path, const std::string& query_fault,
                            uint64_t redirect_hop, std::string* error) const;

 private:
  struct Rule {
    std::string prefix;
    Fault fault;
    // The paths a cut has struck; shared by copies of the plan.
    struct Struck {
      std::mutex mutex;
      std::set<std::string> paths;
    };
    std::shared_ptr<Struck> struck = std::make_shared<Struck>();
  };
  std::vector<Rule> m_rules;
};

}  // namespace portal
