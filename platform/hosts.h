#pragma once

#include <QString>

namespace tarvex {

// The hosts the launcher talks to. Each may carry a port ("127.0.0.1:8800"). Build-time
// defaults; the environment variables of the same names override them for development
// and tests.
struct Hosts {
  QString portal;          // TARVEX_PORTAL_HOST
  QString download;        // TARVEX_DOWNLOAD_HOST
  QString social;          // TARVEX_SOCIAL_HOST
  QString downloadScheme;  // TARVEX_DOWNLOAD_SCHEME, "https" unless overridden

  static Hosts FromEnvironment();
};

}  // namespace tarvex
