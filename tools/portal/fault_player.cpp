#include "fault_player.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <memory>

#include "text_codec.h"

namespace portal {

namespace {

constexpr size_t kPieceBytes = 64 * 1024;

Reply Oversized(Reply reply, uint64_t size) {
  // The answer as it would be, then filler lines up to the size asked for.
  auto original = std::make_shared<Reply>(std::move(reply));
  Reply big = *original;
  big.size = std::max(size, original->size);
  big.read = [original](uint64_t offset, size_t max_bytes) {
    if (offset < original->size) return original->read(offset, max_bytes);
    static const std::string kFiller = "oversize filler oversize filler oversize filler oversize filler....\n";
    std::string out;
    while (out.size() < max_bytes) {
      const uint64_t at = (offset + out.size() - original->size) % kFiller.size();
      out += kFiller.substr(at, max_bytes - out.size());
    }
    return out;
  };
  return big;
}

}  // namespace

FaultPlayer::FaultPlayer(Connection& connection, const StopFlag& stop) : m_connection(connection), m_stop(stop) {}

std::string FaultPlayer::NextHop(const std::string& target, uint64_t hop) {
  const size_t mark = target.find('?');
  std::string query;
  if (mark != std::string::npos) {
    for (const std::string& pair : SplitFields(std::string_view(target).substr(mark + 1), '&')) {
      if (pair.starts_with("redirect_hop=") || pair.empty()) continue;
      query += pair + "&";
    }
  }
  return std::string(TargetPath(target)) + "?" + query + "redirect_hop=" + std::to_string(hop + 1);
}

uint64_t FaultPlayer::HopOf(const httplib::Request& request) {
  const std::string text = request.get_param_value("redirect_hop");
  uint64_t hop = 0;
  std::from_chars(text.data(), text.data() + text.size(), hop);
  return hop;
}

std::string FaultPlayer::Garbage() {
  std::string bytes = "\x16\x03\x01\x02\x00\xff\xfe NOT-HTTP ";
  for (int i = 0; i < 64; ++i) bytes += static_cast<char>((i * 37 + 11) % 256);
  return bytes + "\r\n<<garbage>>\r\n";
}

void FaultPlayer::Play(const std::optional<Fault>& fault, const httplib::Request& request, Reply reply,
                       httplib::Response& response) {
  using Kind = Fault::Kind;
  const auto wait = [this](uint64_t ms) { m_stop.SleepFor(std::chrono::milliseconds(ms)); };
  if (!fault) return Send(std::move(reply), fault, response);
  switch (fault->kind) {
    case Kind::Delay:
      wait(fault->amount);
      return Send(std::move(reply), std::nullopt, response);
    case Kind::Status:
      return Send(Reply::Text(static_cast<int>(fault->amount), "text/plain; charset=utf-8",
                              "fault: status " + std::to_string(fault->amount) + "\n"),
                  std::nullopt, response);
    case Kind::Redirect:
      return Send(Reply::Redirect(NextHop(request.target, HopOf(request))), std::nullopt, response);
    case Kind::RedirectLoop:
      return Send(Reply::Redirect(request.target), std::nullopt, response);
    case Kind::Oversize:
      return Send(Oversized(std::move(reply), fault->amount), std::nullopt, response);
    case Kind::Pieces:
    case Kind::Reset:
    case Kind::Cut:
      return Send(std::move(reply), fault, response);
    case Kind::Garbage:
      m_connection.SendRaw(Garbage());
      m_connection.Mute();
      return;
    case Kind::Stall:
      wait(fault->amount);
      m_connection.Mute();
      return;
  }
}

void FaultPlayer::Send(Reply reply, const std::optional<Fault>& fault, httplib::Response& response) {
  response.status = reply.status;
  for (const auto& [name, value] : reply.headers) response.set_header(name, value);
  const bool reset = fault && fault->kind == Fault::Kind::Reset;
  const bool cut_short = reset || (fault && fault->kind == Fault::Kind::Cut);
  if (reply.size == 0 && !cut_short) {
    response.set_content("", reply.content_type);
    return;
  }
  // Every body goes out through a provider: large ones are never held whole, and the
  // library sends them as they are (no compression), so sizes and bytes stay exact.
  const uint64_t size = reply.size;
  std::vector<uint64_t> pauses;  // offsets before which the pieces fault pauses
  uint64_t cut = size + 1;       // offset at which the reset or cut fault strikes
  uint64_t pause_ms = 0;
  if (fault && fault->kind == Fault::Kind::Pieces) {
    for (uint64_t piece = 1; piece < fault->amount; ++piece) {
      const uint64_t at = size * piece / fault->amount;
      if (at > 0 && (pauses.empty() || pauses.back() != at)) pauses.push_back(at);
    }
    pause_ms = fault->pause_ms;
  } else if (cut_short) {
    // Never past the last byte: a fault that let the whole body through would be none.
    cut = fault->amount ? std::min(fault->amount, size - 1) : size / 2;
  }
  // The provider runs after this player is gone: it keeps the connection and the stop
  // flag, which live as long as the conversation.
  auto reader = std::make_shared<Reply::Reader>(std::move(reply.read));
  Connection* connection = &m_connection;
  const StopFlag* stop = &m_stop;
  response.set_content_provider(
      std::max<uint64_t>(size, 1), reply.content_type,
      [connection, stop, reader, pauses, pause_ms, cut, reset, size](size_t offset, size_t, httplib::DataSink& sink) {
        // A reset ends the connection with RST; a cut closes it in order, the body short.
        if (offset == cut || size == 0) {
          if (reset || size == 0) connection->Reset();
          return false;
        }
        uint64_t end = std::min<uint64_t>(size, offset + kPieceBytes);
        if (cut > offset) end = std::min(end, cut);
        for (const uint64_t pause : pauses) {
          if (pause == offset && !stop->SleepFor(std::chrono::milliseconds(pause_ms))) return false;
          if (pause > offset) end = std::min(end, pause);
        }
        const std::string piece = (*reader)(offset, static_cast<size_t>(end - offset));
        return !piece.empty() && sink.write(piece.data(), piece.size());
      });
}

}  // namespace portal
