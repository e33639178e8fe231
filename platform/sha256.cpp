#include "platform/sha256.h"

#include "platform/trace.h"

#include <dlfcn.h>

namespace tarvex {

// The libcrypto functions a digest needs, or null members when it could not be loaded.
struct Sha256::Crypto {
  decltype(&EVP_MD_CTX_new) contextNew = nullptr;
  decltype(&EVP_MD_CTX_free) contextFree = nullptr;
  decltype(&EVP_DigestInit_ex) init = nullptr;
  decltype(&EVP_DigestUpdate) update = nullptr;
  decltype(&EVP_DigestFinal_ex) final = nullptr;
  const EVP_MD* sha256 = nullptr;

  static const Crypto& Get() {
    static const Crypto crypto = Load();
    return crypto;
  }

 private:
  static Crypto Load() {
    // The soname of the OpenSSL whose header the launcher is compiled against; never closed.
    void* library = dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    Crypto crypto;
    if (!library) {
      TraceFormat(QStringLiteral("----------libcrypto not loaded----------%s\n"), QString::fromLocal8Bit(dlerror()));
      return crypto;
    }
    crypto.contextNew = reinterpret_cast<decltype(contextNew)>(dlsym(library, "EVP_MD_CTX_new"));
    crypto.contextFree = reinterpret_cast<decltype(contextFree)>(dlsym(library, "EVP_MD_CTX_free"));
    crypto.init = reinterpret_cast<decltype(init)>(dlsym(library, "EVP_DigestInit_ex"));
    crypto.update = reinterpret_cast<decltype(update)>(dlsym(library, "EVP_DigestUpdate"));
    crypto.final = reinterpret_cast<decltype(final)>(dlsym(library, "EVP_DigestFinal_ex"));
    const auto algorithm = reinterpret_cast<decltype(&EVP_sha256)>(dlsym(library, "EVP_sha256"));
    if (crypto.contextNew && crypto.contextFree && crypto.init && crypto.update && crypto.final && algorithm)
      crypto.sha256 = algorithm();
    return crypto;
  }
};

Sha256::Sha256() : m_crypto(&Crypto::Get()) {
  if (m_crypto->sha256) m_context = m_crypto->contextNew();
  if (!m_context) m_fallback = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256);
  Reset();
}

Sha256::~Sha256() {
  if (m_context) m_crypto->contextFree(m_context);
}

void Sha256::Reset() {
  if (m_context) m_crypto->init(m_context, m_crypto->sha256, nullptr);
  else m_fallback->reset();
}

void Sha256::Add(QByteArrayView data) {
  if (m_context) m_crypto->update(m_context, data.data(), static_cast<size_t>(data.size()));
  else m_fallback->addData(data);
}

QByteArray Sha256::Result() {
  if (!m_context) return m_fallback->result();
  QByteArray digest(EVP_MAX_MD_SIZE, '\0');
  unsigned int size = 0;
  m_crypto->final(m_context, reinterpret_cast<unsigned char*>(digest.data()), &size);
  digest.truncate(static_cast<qsizetype>(size));
  return digest;
}

}  // namespace tarvex
