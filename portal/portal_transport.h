#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace tarvex {

// How the launcher talks to the portal's HTTP interface. The defaults are the portal's
// recipe; tests shorten the waits.
struct PortalTransportOptions {
  QString host;       // host[:port], reached over plain http
  QString userAgent;  // the executable's name without extension
  std::chrono::milliseconds connectTimeout{20000};
  int connectRetries = 1;
  std::chrono::milliseconds connectBackoff{1000};
  // A portal that accepts and then sends nothing for this long fails the request.
  std::chrono::seconds stallTimeout{30};
  // No attempt, redirects included, takes longer than this, however the server trickles.
  std::chrono::milliseconds attemptTimeout{30000};
  long maxRedirects = 10;
  // When set and true, the request ends as a failure as soon as possible.
  const std::atomic<bool>* cancelled = nullptr;
};

struct PortalAnswer {
  std::uint32_t status = 0;
  // Only for status 200 when asked for: at most 1999 bytes, cut at a zero byte, decoded
  // with the locale's character set.
  QString body;
};

enum class PortalBody { Skip, Read };

// One GET of `target` (absolute path with query; inserted values already encoded with
// EncodeTargetValue): HTTP/1.0, the Content-Type header of the portal, no body, redirects
// followed, proxy from the environment. Empty on any transport failure.
std::optional<PortalAnswer> PortalGet(const PortalTransportOptions& options, const QString& target,
                                      PortalBody body);

}  // namespace tarvex
