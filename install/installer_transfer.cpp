#include "install/installer_transfer.h"

#include "install/download_handle.h"
#include "install/installer_hash.h"
#include "platform/curl_library.h"
#include "platform/trace.h"

#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <memory>

#include <sys/statvfs.h>

namespace tarvex {
namespace {

// libcurl hands the body over in pieces of its receive buffer, 16 KiB by default: one
// callback, one file write and one progress report per piece. A quarter of a megabyte
// cuts those by sixteen; an installer is hundreds of megabytes.
constexpr long kReceiveBufferBytes = 256 * 1024;
// A body of no stated size is measured against the free space every this many bytes.
constexpr std::int64_t kUnsizedSpaceStep = 4 * 1024 * 1024;
// The kept part of a resumed download is read back in pieces of this size for its hash.
constexpr qint64 kHashReadBytes = 1024 * 1024;

// What the body callback works with: the transfer, and the handle whose answer the body
// belongs to. curl keeps that answer's status (the last one, after redirects) from its
// status line on; the body is judged by it.
struct BodyReceiver {
  InstallerTransfer* transfer;
  const CurlApi* curl;
  CURL* handle;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* receiver) {
  const auto* body = static_cast<const BodyReceiver*>(receiver);
  long status = 0;
  body->curl->easyGetinfo(body->handle, CURLINFO_RESPONSE_CODE, &status);
  return body->transfer->OnBody(status, data, static_cast<qint64>(size * count)) ? size * count : 0;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* transfer) {
  static_cast<InstallerTransfer*>(transfer)->OnHeader(QByteArray(data, static_cast<qsizetype>(size * count)));
  return size * count;
}

int TransferInfo(void* transfer, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t, curl_off_t) {
  return static_cast<InstallerTransfer*>(transfer)->OnTransferInfo(downloadNow, downloadTotal) ? 1 : 0;
}

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

// A server error may pass; a client error (the file is not there, or not for us) stays.
bool IsWorthRetrying(long status, CURLcode code) {
  if (status >= 500) return true;
  if (status >= 400) return false;
  return DownloadHandle::IsTransient(code);
}

// The server's answer, or where it sent us, is no: not a local failure.
bool IsRefusal(long status, CURLcode code) {
  return (status >= 400 && status < 500) || code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_TOO_MANY_REDIRECTS;
}

struct ContentRange {
  std::int64_t first = -1;
  std::int64_t total = -1;  // -1 when the server does not say ("*")
};

// "bytes FIRST-LAST/TOTAL"; first -1 when it is not one.
ContentRange ParseContentRange(const QByteArray& contentRange) {
  const QByteArray unit = QByteArrayLiteral("bytes ");
  if (!contentRange.startsWith(unit)) return {};
  const QList<QByteArray> parts = contentRange.mid(unit.size()).split('/');
  bool firstOk = false;
  const std::int64_t first = parts.constFirst().split('-').constFirst().toLongLong(&firstOk);
  bool totalOk = false;
  const std::int64_t total = parts.size() == 2 ? parts.constLast().toLongLong(&totalOk) : -1;
  return {firstOk ? first : -1, totalOk ? total : -1};
}

// What a server names a version of the file by, when it fits into a request header again:
// printable ASCII, not too long. Anything else is no validator at all.
QByteArray UsableValidator(const QByteArray& value) {
  constexpr qsizetype kLongest = 256;
  if (value.size() > kLongest) return {};
  for (const char c : value) {
    if (c < 0x20 || c > 0x7e) return {};
  }
  return value;
}

// The tag beside a part: its validator, and whether the part is the whole installer.
constexpr char kWholeMark[] = "whole";

bool WriteTag(const QString& path, const QByteArray& validator, bool whole) {
  QFile tag(path);
  if (validator.isEmpty() && !whole) return !tag.exists() || tag.remove();
  const QByteArray text = validator + '\n' + (whole ? QByteArray(kWholeMark) + '\n' : QByteArray());
  return tag.open(QIODevice::WriteOnly | QIODevice::Truncate) && tag.write(text) == text.size() && tag.flush();
}

bool Rename(const QString& from, const QString& to) {
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), error);
  return !error;
}

}  // namespace

InstallerTransfer::InstallerTransfer(QString address, QString destination, const std::atomic<bool>& cancelled)
    : m_address(std::move(address)), m_destination(std::move(destination)), m_cancelled(cancelled) {}

QString InstallerTransfer::PartialPath(const QString& destination) { return destination + QStringLiteral(".part"); }

QString InstallerTransfer::TagPath(const QString& destination) { return destination + QStringLiteral(".part.tag"); }

bool InstallerTransfer::MoveIntoPlace(const QString& destination) {
  if (!Rename(PartialPath(destination), destination)) return false;
  QFile::remove(TagPath(destination));
  return true;
}

bool InstallerTransfer::KeepAsPart(const QString& destination) {
  // Tagged first: a part without its tag would be downloaded over.
  return QFileInfo(destination).isFile() && WriteTag(TagPath(destination), {}, true) &&
         Rename(destination, PartialPath(destination));
}

std::int64_t InstallerTransfer::DiskFreeSpace(const QString& path) {
  struct statvfs space {};
  if (::statvfs(QFile::encodeName(path).constData(), &space) != 0) return -1;
  return static_cast<std::int64_t>(space.f_bavail) * static_cast<std::int64_t>(space.f_frsize);
}

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
  // Before the answer's body the kept part is all there is: nothing to report, so a
  // resumed bar never drops back.
  if (m_progress && m_bodyStarted) m_progress(m_kept + received, total > 0 ? m_kept + total : 0);
  return false;
}

void InstallerTransfer::OnHeader(const QByteArray& line) {
  if (line.startsWith("HTTP/")) {
    // Every answer on the way (redirects included) starts over; the last one counts.
    m_contentRange.clear();
    m_etag.clear();
    m_lastModified.clear();
    m_contentLength = -1;
    return;
  }
  const qsizetype colon = line.indexOf(':');
  if (colon <= 0) return;
  const QByteArray name = line.left(colon).trimmed().toLower();
  const QByteArray value = line.mid(colon + 1).trimmed();
  if (name == "content-range") m_contentRange = value;
  else if (name == "etag") m_etag = value;
  else if (name == "last-modified") m_lastModified = value;
  else if (name == "content-length") m_contentLength = value.toLongLong();
}

bool InstallerTransfer::OnBody(long status, const char* data, qint64 size) {
  // An error page is no part of the installer.
  if (!IsSuccessStatus(status)) return true;
  if (!m_bodyStarted && !StartBody(status)) return false;
  // A body of no stated size is measured against the free space as it comes, so that it
  // stops while the margin is still free rather than on a full disk.
  if (m_unsized && m_partial.pos() >= m_nextSpaceCheck) {
    if (!Fits(kUnsizedSpaceStep)) return false;
    m_nextSpaceCheck = m_partial.pos() + kUnsizedSpaceStep;
  }
  if (m_partial.pos() + size > m_end) {
    TraceFormat(QStringLiteral("----------download longer than its size----------%s\n"), m_address);
    m_writeFailed = true;
    return false;
  }
  if (m_partial.write(data, size) != size) {
    m_noSpace = errno == ENOSPC;
    m_writeFailed = true;
    return false;
  }
  if (m_hash) m_hash->Add(QByteArrayView(data, size));
  return true;
}

bool InstallerTransfer::StartBody(long status) {
  // A weak ETag cannot stand for the bytes in If-Range; the date can.
  const bool strongTag = !m_etag.isEmpty() && !m_etag.startsWith("W/");
  if (status == 206) {
    const ContentRange range = ParseContentRange(m_contentRange);
    // The rest of the kept part, of the same file and of a known size: a server that
    // ignores If-Range would send the rest of another version, named by another
    // validator, and one that names none (or only a weak one) vouches for nothing.
    const QByteArray answered = m_validator.startsWith('"') ? (strongTag ? m_etag : QByteArray()) : m_lastModified;
    if (m_kept == 0 || range.first != m_kept || range.total < 0 || answered != m_validator) {
      m_restart = true;
      return false;
    }
    m_total = range.total;
    if (m_total >= 0) m_end = m_total;
    if (!Fits(m_total >= 0 ? m_total - m_kept : m_contentLength)) return false;
    m_bodyStarted = true;
    return true;
  }
  // The server ignored the range, or the file changed: all of it comes again.
  if (m_contentLength >= 0) m_end = m_contentLength;
  m_unsized = m_contentLength < 0;
  if (!Fits(m_contentLength)) return false;
  m_kept = 0;
  if (!Truncate()) {
    m_writeFailed = true;
    return false;
  }
  if (m_hash) m_hash->Reset();
  m_validator = UsableValidator(strongTag ? m_etag : m_lastModified);
  if (!WriteTag(TagPath(m_destination), m_validator, false)) {
    m_writeFailed = true;
    return false;
  }
  m_bodyStarted = true;
  return true;
}

bool InstallerTransfer::Fits(std::int64_t rest) {
  if (rest <= 0) return true;
  const std::int64_t free = m_freeSpace(m_partial.fileName());
  if (free < 0 || rest + kSpaceMargin <= free) return true;
  TraceFormat(QStringLiteral("----------no space for the installer----------%s\n"),
              QStringLiteral("%1 %2 %3").arg(m_destination).arg(rest).arg(free));
  m_noSpace = true;
  return false;
}

bool InstallerTransfer::OpenPartial() {
  m_partial.setFileName(PartialPath(m_destination));
  if (!m_partial.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return false;
  QFile tag(TagPath(m_destination));
  const QList<QByteArray> known = tag.open(QIODevice::ReadOnly) ? tag.readAll().split('\n') : QList<QByteArray>();
  m_validator = known.value(0).trimmed();
  m_whole = known.value(1).trimmed() == kWholeMark;
  // Without a validator nobody can tell whether the kept bytes still belong to the file,
  // unless they are all of it.
  m_kept = m_validator.isEmpty() && !m_whole ? 0 : m_partial.size();
  return m_kept > 0 || Truncate();
}

bool InstallerTransfer::Truncate() {
  // Only when there is something to cut: ext4 writes a file back as soon as it is closed
  // when it was truncated to nothing before, which would cost a fast download a fifth.
  return (m_partial.size() == 0 || m_partial.resize(0)) && m_partial.seek(0);
}

bool InstallerTransfer::HashKeptPart() {
  if (m_hash == nullptr) return m_partial.seek(m_kept);
  m_hash->Reset();
  if (!m_partial.seek(0)) return false;
  while (m_partial.pos() < m_kept) {
    // A part of gigabytes takes seconds to read: closing the window must not wait for it.
    if (m_cancelled.load()) return false;
    const QByteArray piece = m_partial.read(kHashReadBytes);
    if (piece.isEmpty()) return false;
    m_hash->Add(piece);
  }
  return true;
}

InstallerTransfer::Result InstallerTransfer::UseWholeKeptPart() {
  if (!HashKeptPart()) {
    Keep();
    return m_cancelled.load() ? Result::Cancelled : Result::Failed;
  }
  m_partial.close();
  if (m_progress) m_progress(m_kept, m_kept);
  return Result::Done;
}

void InstallerTransfer::Keep() {
  // Only a whole part or one with a validator can be used again, and an empty one is not
  // worth it.
  if ((m_validator.isEmpty() && !m_whole) || !m_partial.flush() || m_partial.size() == 0) {
    Discard();
    return;
  }
  m_partial.close();
}

void InstallerTransfer::Discard() {
  m_partial.close();
  QFile::remove(PartialPath(m_destination));
  QFile::remove(TagPath(m_destination));
}

InstallerTransfer::Result InstallerTransfer::Run() {
  if (!OpenPartial()) return Result::Failed;
  if (m_whole) return UseWholeKeptPart();
  const CurlApi* curl = LoadCurl();
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl ? curl->easyInit() : nullptr,
                                                                  curl ? curl->easyCleanup : nullptr);
  if (!easy || !HashKeptPart()) {
    Keep();
    return m_cancelled.load() ? Result::Cancelled : Result::Failed;
  }
  curl_slist* headers = nullptr;
  if (m_kept > 0) {
    headers = curl->slistAppend(headers, QByteArray("Range: bytes=" + QByteArray::number(m_kept) + '-').constData());
    headers = curl->slistAppend(headers, QByteArray("If-Range: " + m_validator).constData());
  }
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl->slistFreeAll);
  CURL* handle = easy.get();
  BodyReceiver body{this, curl, handle};
  DownloadHandle::Configure(*curl, handle, m_address.toUtf8(), QFile::encodeName(m_trustedCertificates));
  curl->easySetopt(handle, CURLOPT_HTTPHEADER, headers);
  curl->easySetopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl->easySetopt(handle, CURLOPT_HEADERFUNCTION, &ReadHeader);
  curl->easySetopt(handle, CURLOPT_HEADERDATA, this);
  curl->easySetopt(handle, CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl->easySetopt(handle, CURLOPT_WRITEDATA, &body);
  curl->easySetopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl->easySetopt(handle, CURLOPT_XFERINFOFUNCTION, &TransferInfo);
  curl->easySetopt(handle, CURLOPT_XFERINFODATA, this);

  m_lastReceived = -1;
  const CURLcode code = curl->easyPerform(handle);
  long status = 0;
  curl->easyGetinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (code != CURLE_OK || !IsSuccessStatus(status)) {
    TraceFormat(QStringLiteral("----------download failed----------%s\n"),
                QStringLiteral("%1 %2 %3").arg(m_address).arg(status).arg(QString::fromUtf8(curl->easyStrerror(code))));
  }
  return Finish(status, code);
}

InstallerTransfer::Result InstallerTransfer::Finish(long status, int code) {
  // A cancelled transfer keeps what it has for the next time, when it can be continued.
  if (m_cancelled.load()) {
    Keep();
    return Result::Cancelled;
  }
  if (m_restart || status == 416) {
    Discard();
    return Result::Restart;
  }
  if (m_noSpace) {
    Keep();
    return Result::NoSpace;
  }
  const bool received = code == CURLE_OK && IsSuccessStatus(status) && !m_writeFailed &&
                        (m_bodyStarted || StartBody(status)) && m_partial.flush();
  if (received && m_total >= 0 && m_partial.size() != m_total) {
    // A range that stopped short of the file's end: the rest comes next time.
    Keep();
    return Result::Transient;
  }
  if (received) {
    m_partial.close();
    m_whole = WriteTag(TagPath(m_destination), m_validator, true);
    if (m_whole) return Result::Done;
    Discard();
    return Result::Failed;
  }
  const bool transient = !m_writeFailed && IsWorthRetrying(status, static_cast<CURLcode>(code));
  if (!transient) {
    Discard();
    return !m_writeFailed && IsRefusal(status, static_cast<CURLcode>(code)) ? Result::Refused : Result::Failed;
  }
  Keep();
  return Result::Transient;
}

}  // namespace tarvex
