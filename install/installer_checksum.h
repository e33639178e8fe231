#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>

namespace tarvex {

// The SHA-256 a download host may publish beside an installer: the same address without
// its query, with ".sha256" appended, in sha256sum's format (the first token is the sum
// in 64 hex digits, either case; the rest is ignored). Only a server error or trouble on
// the way is worth asking again: a client error (403 from an object store, 404, 410 ...),
// or an answer that holds no sum (an HTML page, something too long), means the host
// publishes none.
class InstallerChecksum {
 public:
  enum class Kind {
    Sum,        // the installer must have this sum
    None,       // the host publishes none: nothing to verify
    Transient,  // a 5xx or a network error: try again later
    Cancelled,
  };
  struct Answer {
    Kind kind = Kind::None;
    QByteArray sum;  // raw 32 bytes, for Sum
  };

  static QString AddressFor(const QString& installerAddress);
  // The raw sum of a checksum file's text, or empty when it holds none.
  static QByteArray Parse(const QByteArray& text);

  // Fetches the checksum file of `installerAddress`; `cancelled` is polled meanwhile, and a
  // host that sends nothing for `stallTimeout` is a transient failure.
  static Answer Fetch(const QString& installerAddress, const std::atomic<bool>& cancelled,
                      std::chrono::milliseconds stallTimeout);
};

}  // namespace tarvex
