#include "fault_plan.h"

#include <charconv>

#include "text_codec.h"

namespace portal {

namespace {

constexpr uint64_t kMaxMilliseconds = 600'000;
constexpr uint64_t kMaxBodyBytes = 256ull << 20;
constexpr uint64_t kDefaultOversize = 10ull << 20;

std::optional<uint64_t> Number(const std::string& text, uint64_t fallback, uint64_t limit) {
  if (text.empty()) return fallback;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > limit) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Fault> Fault::Parse(const std::string& text) {
  const std::vector<std::string> parts = SplitFields(text, ':');
  const std::string& name = parts[0];
  const std::string first = parts.size() > 1 ? parts[1] : std::string();
  const std::string second = parts.size() > 2 ? parts[2] : std::string();
  if (parts.size() > 3 || (parts.size() > 2 && name != "chunks")) return std::nullopt;

  Fault fault;
  std::optional<uint64_t> amount;
  if (name == "delay") {
    fault.kind = Kind::Delay;
    amount = Number(first, 1000, kMaxMilliseconds);
  } else if (name == "stall") {
    fault.kind = Kind::Stall;
    amount = Number(first, 5000, kMaxMilliseconds);
  } else if (name == "status" || (parts.size() == 1 && name.size() == 3)) {
    fault.kind = Kind::Status;
    amount = Number(name == "status" ? first : name, 500, 599);
    if (amount && *amount < 100) amount.reset();
  } else if (name == "redirect") {
    fault.kind = Kind::Redirect;
    amount = Number(first, 1, 50);
    if (amount == 0u) amount.reset();
  } else if (name == "redirect-loop") {
    fault.kind = Kind::RedirectLoop;
    amount = first.empty() ? std::optional<uint64_t>(0) : std::nullopt;
  } else if (name == "oversize") {
    fault.kind = Kind::Oversize;
    amount = Number(first, kDefaultOversize, kMaxBodyBytes);
  } else if (name == "chunks") {
    fault.kind = Kind::Pieces;
    amount = Number(first, 4, 1000);
    const auto pause = Number(second, 200, kMaxMilliseconds);
    if (!pause || amount == 0u) return std::nullopt;
    fault.pause_ms = *pause;
  } else if (name == "reset") {
    fault.kind = Kind::Reset;
    amount = Number(first, 0, kMaxBodyBytes);
  } else if (name == "cut") {
    fault.kind = Kind::Cut;
    amount = Number(first, 0, kMaxBodyBytes);
  } else if (name == "garbage") {
    fault.kind = Kind::Garbage;
    amount = first.empty() ? std::optional<uint64_t>(0) : std::nullopt;
  }
  if (!amount) return std::nullopt;
  fault.amount = *amount;
  return fault;
}

bool FaultPlan::AddRule(const std::string& rule) {
  const size_t at = rule.find('=');
  if (at == std::string::npos || at == 0 || rule[0] != '/') return false;
  const auto fault = Fault::Parse(rule.substr(at + 1));
  if (!fault) return false;
  m_rules.push_back(Rule{rule.substr(0, at), *fault});
  return true;
}

std::optional<Fault> FaultPlan::Find(const std::string& path, const std::string& query_fault,
                                     uint64_t redirect_hop, std::string* error) const {
  std::optional<Fault> found;
  if (!query_fault.empty()) {
    found = Fault::Parse(query_fault);
    if (!found) {
      *error = "unknown fault \"" + query_fault + "\"";
      return std::nullopt;
    }
  } else {
    const Rule* chosen = nullptr;
    for (const Rule& rule : m_rules) {
      if (path.starts_with(rule.prefix) && (!chosen || rule.prefix.size() >= chosen->prefix.size())) chosen = &rule;
    }
    if (chosen && chosen->fault.kind == Fault::Kind::Cut) {
      const std::lock_guard lock(chosen->struck->mutex);
      if (!chosen->struck->paths.insert(path).second) return std::nullopt;
    }
    if (chosen) found = chosen->fault;
  }
  if (found && found->kind == Fault::Kind::Redirect && redirect_hop >= found->amount) return std::nullopt;
  return found;
}

}  // namespace portal
