#include "install/download_handle.h"

#include "platform/curl_library.h"

namespace tarvex {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;

}  // namespace

const char* DownloadHandle::RedirectProtocols(const QString& address) {
  return address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ? "https" : "http,https";
}

bool DownloadHandle::IsTransient(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:  // the stall rule; a cancel is told apart by the caller
      return true;
    default:
      return false;
  }
}

void DownloadHandle::Configure(const CurlApi& curl, CURL* handle, const QByteArray& address,
                               const QByteArray& trustedCertificates) {
  curl.easySetopt(handle, CURLOPT_URL, address.constData());
  curl.easySetopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl.easySetopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl.easySetopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, RedirectProtocols(QString::fromUtf8(address)));
  curl.easySetopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl.easySetopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl.easySetopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  if (!trustedCertificates.isEmpty()) curl.easySetopt(handle, CURLOPT_CAINFO, trustedCertificates.constData());
}

}  // namespace tarvex
