#include "install/installer_checksum.h"

#include "install/download_handle.h"
#include "platform/curl_library.h"
#include "platform/trace.h"

#include <QUrl>

#include <memory>

namespace tarvex {
namespace {

// A checksum file is one line; anything much longer is not one.
constexpr qsizetype kMaxBytes = 4096;
constexpr int kSumHexDigits = 64;

size_t Collect(char* data, size_t size, size_t count, void* body) {
  auto* text = static_cast<QByteArray*>(body);
  if (text->size() + static_cast<qsizetype>(size * count) > kMaxBytes) return 0;
  text->append(data, static_cast<qsizetype>(size * count));
  return size * count;
}

int StopWhenCancelled(void* cancelled, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

}  // namespace

QString InstallerChecksum::AddressFor(const QString& installerAddress) {
  const QUrl url(installerAddress);
  return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toString(QUrl::FullyEncoded) + QStringLiteral(".sha256");
}

QByteArray InstallerChecksum::Parse(const QByteArray& text) {
  const QByteArray token = text.simplified().split(' ').constFirst();
  if (token.size() != kSumHexDigits) return {};
  for (const char c : token) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return {};
  }
  return QByteArray::fromHex(token);
}

InstallerChecksum::Answer InstallerChecksum::Fetch(const QString& installerAddress,
                                                   const std::atomic<bool>& cancelled,
                                                   std::chrono::milliseconds stallTimeout) {
  const CurlApi* curl = LoadCurl();
  if (!curl) return {Kind::Transient, {}};
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl->easyInit(), curl->easyCleanup);
  if (!easy) return {Kind::Transient, {}};
  const QString address = AddressFor(installerAddress);
  CURL* handle = easy.get();
  QByteArray body;
  DownloadHandle::Configure(*curl, handle, address.toUtf8());
  curl->easySetopt(handle, CURLOPT_WRITEFUNCTION, &Collect);
  curl->easySetopt(handle, CURLOPT_WRITEDATA, &body);
  curl->easySetopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl->easySetopt(handle, CURLOPT_XFERINFOFUNCTION, &StopWhenCancelled);
  curl->easySetopt(handle, CURLOPT_XFERINFODATA, &cancelled);
  // Less than a byte a second for the stall time: the host has stopped answering.
  curl->easySetopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl->easySetopt(handle, CURLOPT_LOW_SPEED_TIME,
                   static_cast<long>(std::max<std::chrono::seconds::rep>(
                       1, std::chrono::duration_cast<std::chrono::seconds>(stallTimeout).count())));
  const CURLcode code = curl->easyPerform(handle);
  long status = 0;
  curl->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (cancelled.load()) return {Kind::Cancelled, {}};
  const QString why = QStringLiteral("%1 %2 %3").arg(address).arg(status).arg(QString::fromUtf8(curl->easyStrerror(code)));
  // A client error means no checksum, whatever error page comes with it, whole or cut.
  const bool clientError = status >= 400 && status < 500;
  if (!clientError && (status >= 500 || (code != CURLE_OK && code != CURLE_WRITE_ERROR))) {
    TraceFormat(QStringLiteral("----------checksum not read----------%s\n"), why);
    return {Kind::Transient, {}};
  }
  const QByteArray sum = code == CURLE_OK && status == 200 ? Parse(body) : QByteArray();
  if (sum.isEmpty()) {
    if (status != 404) TraceFormat(QStringLiteral("----------no checksum published----------%s\n"), why);
    return {Kind::None, {}};
  }
  return {Kind::Sum, sum};
}

}  // namespace tarvex
