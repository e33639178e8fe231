#pragma once

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

namespace tarvex {

struct CurlApi;

// What every request to the download host has in common: http and https only, redirects
// followed (at most ten) but never from https down to http, a connection time-out, no
// signals. The peer is checked against the system's certificate authorities, or against
// `trustedCertificates` (a PEM file) alone when one is given.
class DownloadHandle {
 public:
  // The protocols a redirect of `address` may go to: an https download stays on https.
  static const char* RedirectProtocols(const QString& address);
  // Whether a failed transfer is worth another attempt: a connection refused or reset, a
  // time-out, an answer that stopped short, a stall. Refused redirects and local errors
  // are not.
  static bool IsTransient(CURLcode code);

  static void Configure(const CurlApi& curl, CURL* handle, const QByteArray& address,
                        const QByteArray& trustedCertificates = {});
};

}  // namespace tarvex
