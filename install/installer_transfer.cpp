#include "install/installer_transfer.h"

#include "platform/curl_library.h"
#include "platform/trace.h"

#include <QFile>
#include <QTemporaryFile>

#include <filesystem>
#include <memory>

namespace tarvex {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;
// libcurl hands the body over in pieces of its receive buffer, 16 KiB by default: one
// callback, one file write and one progress report per piece. A quarter of a megabyte
// cuts those by sixteen; an installer is hundreds of megabytes.
constexpr long kReceiveBufferBytes = 256 * 1024;

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  const qint64 bytes = static_cast<qint64>(size * count);
  return static_cast<QFile*>(file)->write(data, bytes) == bytes ? size * count : 0;
}

int TransferInfo(void* transfer, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t, curl_off_t) {
  return static_cast<InstallerTransfer*>(transfer)->OnTransferInfo(downloadNow, downloadTotal) ? 1 : 0;
}

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

}  // namespace

InstallerTransfer::InstallerTransfer(QString address, QString destination, const std::atomic<bool>& cancelled)
    : m_address(std::move(address)), m_destination(std::move(destination)), m_cancelled(cancelled) {}

bool InstallerTransfer::OnTransferInfo(std::int64_t received, std::int64_t total) {
  if (m_cancelled.load()) return true;
  const auto now = std::chrono::steady_clock::now();
  if (received != m_lastReceived) {
    m_lastReceived = received;
    m_lastChange = now;
  } else if (now - m_lastChange >= m_stallTimeout) {
    TraceFormat(QStringLiteral("----------download stalled----------%s\n"), m_address);
    return true;
  }
  if (m_progress) m_progress(received, total);
  return false;
}

InstallerTransfer::Result InstallerTransfer::Run() {
  QTemporaryFile file(m_destination + QStringLiteral(".XXXXXX.part"));
  if (!file.open()) return Result::Failed;

  const CurlApi* curl = LoadCurl();
  if (!curl) return Result::Failed;
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl->easyInit(), curl->easyCleanup);
  if (!easy) return Result::Failed;
  const QByteArray address = m_address.toUtf8();
  CURL* handle = easy.get();
  curl->easySetopt(handle, CURLOPT_URL, address.constData());
  curl->easySetopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl->easySetopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl->easySetopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl->easySetopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl->easySetopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl->easySetopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl->easySetopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl->easySetopt(handle, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl->easySetopt(handle, CURLOPT_WRITEDATA, static_cast<QFile*>(&file));
  curl->easySetopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl->easySetopt(handle, CURLOPT_XFERINFOFUNCTION, &TransferInfo);
  curl->easySetopt(handle, CURLOPT_XFERINFODATA, this);

  m_lastReceived = -1;
  const CURLcode code = curl->easyPerform(handle);
  long status = 0;
  curl->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);

  if (m_cancelled.load()) return Result::Cancelled;
  if (code != CURLE_OK || !IsSuccessStatus(status) || !file.flush()) {
    TraceFormat(QStringLiteral("----------download failed----------%s\n"),
                QStringLiteral("%1 %2 %3").arg(m_address).arg(status).arg(QString::fromUtf8(curl->easyStrerror(code))));
    return Result::Failed;
  }
  file.close();
  std::error_code renameError;
  std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                          QFile::encodeName(m_destination).toStdString(), renameError);
  return renameError ? Result::Failed : Result::Done;
}

}  // namespace tarvex
