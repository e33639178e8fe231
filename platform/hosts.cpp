#include "platform/hosts.h"

#include <QByteArray>

namespace tarvex {
namespace {

QString FromEnv(const char* name, const char* fallback) {
  const QByteArray value = qgetenv(name);
  return value.isEmpty() ? QString::fromUtf8(fallback) : QString::fromUtf8(value);
}

}  // namespace

Hosts Hosts::FromEnvironment() {
  return Hosts{FromEnv("TARVEX_PORTAL_HOST", TARVEX_PORTAL_HOST_DEFAULT),
               FromEnv("TARVEX_DOWNLOAD_HOST", TARVEX_DOWNLOAD_HOST_DEFAULT),
               FromEnv("TARVEX_SOCIAL_HOST", TARVEX_SOCIAL_HOST_DEFAULT),
               FromEnv("TARVEX_DOWNLOAD_SCHEME", "https")};
}

}  // namespace tarvex
