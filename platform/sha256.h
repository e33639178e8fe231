#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>

#include <openssl/evp.h>

#include <memory>

namespace tarvex {

// SHA-256 from libcrypto, loaded on first use like libcurl (which brings it anyway): with
// the processor's SHA instructions it is twenty times faster than Qt's own, which is used
// only where libcrypto cannot be loaded.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Reset();
  void Add(QByteArrayView data);
  // The 32-byte digest of everything added since the last Reset().
  QByteArray Result();

 private:
  struct Crypto;
  const Crypto* m_crypto;
  EVP_MD_CTX* m_context = nullptr;
  std::unique_ptr<QCryptographicHash> m_fallback;
};

}  // namespace tarvex
