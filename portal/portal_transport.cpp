#include "portal/portal_transport.h"

#include "platform/curl_library.h"
#include "platform/trace.h"
#include "portal/locale_text.h"

#include <QByteArray>

#include <memory>
#include <thread>

namespace tarvex {
namespace {

constexpr qsizetype kBodyLimit = 1999;
constexpr long kStatusOk = 200;
constexpr char kContentType[] = "Content-Type: application/x-www-form-urlencoded;charset=UTF-8";

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

// What one transfer collected. The body is kept up to the limit; then the transfer is
// stopped on purpose, which is not a failure.
struct Transfer {
  PortalBody wanted = PortalBody::Skip;
  const std::atomic<bool>* cancelled = nullptr;
  QByteArray body;
  bool stoppedAtLimit = false;
};

size_t CollectBody(char* data, size_t size, size_t count, void* userData) {
  auto& transfer = *static_cast<Transfer*>(userData);
  const size_t bytes = size * count;
  if (transfer.wanted == PortalBody::Skip) {
    transfer.stoppedAtLimit = true;
    return 0;
  }
  const qsizetype room = kBodyLimit - transfer.body.size();
  const qsizetype taken = std::min<qsizetype>(room, static_cast<qsizetype>(bytes));
  transfer.body.append(data, taken);
  if (transfer.body.size() < kBodyLimit) return bytes;
  transfer.stoppedAtLimit = true;
  return 0;
}

int CheckCancelled(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& transfer = *static_cast<Transfer*>(userData);
  return transfer.cancelled != nullptr && transfer.cancelled->load() ? 1 : 0;
}

bool IsCancelled(const PortalTransportOptions& options) {
  return options.cancelled != nullptr && options.cancelled->load();
}

// Waits out the back-off before a new connect attempt; a cancel ends the wait early.
void WaitBeforeRetry(const PortalTransportOptions& options) {
  constexpr auto kStep = std::chrono::milliseconds(20);
  const auto until = std::chrono::steady_clock::now() + options.connectBackoff;
  while (!IsCancelled(options) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kStep);
}

// A refused connection or a connect that ran out of time; a time-out after the
// connection stood (a stalled answer) is not retried.
bool IsConnectFailure(const CurlApi& curl, CURL* easy, CURLcode code) {
  if (code == CURLE_COULDNT_CONNECT) return true;
  if (code != CURLE_OPERATION_TIMEDOUT) return false;
  curl_off_t connectTime = 0;
  curl.easyGetinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
  return connectTime == 0;
}

void Configure(const CurlApi& curl, CURL* easy, const PortalTransportOptions& options, const QByteArray& url,
               const QByteArray& userAgent, curl_slist* headers, Transfer& transfer) {
  curl.easySetopt(easy, CURLOPT_URL, url.constData());
  curl.easySetopt(easy, CURLOPT_HTTPGET, 1L);
  curl.easySetopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  // An HTTP/1.0 request ends its connection with the answer, but a server that answers
  // as HTTP/1.1 looks reusable to libcurl, which then sends the next request of a
  // redirect over a socket the server is closing ("Failed sending data to the peer").
  // Every request, redirects included, gets a connection of its own.
  curl.easySetopt(easy, CURLOPT_FORBID_REUSE, 1L);
  curl.easySetopt(easy, CURLOPT_USERAGENT, userAgent.constData());
  curl.easySetopt(easy, CURLOPT_HTTPHEADER, headers);
  curl.easySetopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeout.count()));
  curl.easySetopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl.easySetopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options.stallTimeout.count()));
  curl.easySetopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options.attemptTimeout.count()));
  curl.easySetopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl.easySetopt(easy, CURLOPT_MAXREDIRS, options.maxRedirects);
  curl.easySetopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl.easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl.easySetopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl.easySetopt(easy, CURLOPT_WRITEFUNCTION, &CollectBody);
  curl.easySetopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl.easySetopt(easy, CURLOPT_XFERINFOFUNCTION, &CheckCancelled);
  curl.easySetopt(easy, CURLOPT_XFERINFODATA, &transfer);
  curl.easySetopt(easy, CURLOPT_NOPROGRESS, 0L);
}

}  // namespace

std::optional<PortalAnswer> PortalGet(const PortalTransportOptions& options, const QString& target,
                                      PortalBody body) {
  const QByteArray url = QStringLiteral("http://%1%2").arg(options.host, target).toUtf8();
  const QByteArray userAgent = options.userAgent.toUtf8();
  const CurlApi* curl = LoadCurl();
  if (!curl) return std::nullopt;
  HeaderList headers(curl->slistAppend(nullptr, kContentType), curl->slistFreeAll);
  if (!headers) return std::nullopt;

  for (int attempt = 0; attempt <= options.connectRetries; ++attempt) {
    if (attempt > 0) WaitBeforeRetry(options);
    if (IsCancelled(options)) return std::nullopt;
    EasyHandle easy(curl->easyInit(), curl->easyCleanup);
    if (!easy) return std::nullopt;
    Transfer transfer{body, options.cancelled, {}, false};
    Configure(*curl, easy.get(), options, url, userAgent, headers.get(), transfer);
    const CURLcode code = curl->easyPerform(easy.get());
    if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && transfer.stoppedAtLimit)) {
      if (IsConnectFailure(*curl, easy.get(), code)) {
        if (attempt < options.connectRetries)
          TraceFormat(QStringLiteral("----------portal not reached, trying again----------%s\n"), options.host);
        continue;
      }
      return std::nullopt;
    }
    long status = 0;
    curl->easyGetinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    PortalAnswer answer{static_cast<std::uint32_t>(status), {}};
    if (body == PortalBody::Read && status == kStatusOk) answer.body = DecodeLocaleText(transfer.body);
    return answer;
  }
  return std::nullopt;
}

}  // namespace tarvex
