#pragma once

#include <QString>

#include <curl/curl.h>

namespace tarvex {

// The libcurl functions the launcher calls, taken from the library loaded at run time.
struct CurlApi {
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_perform) easyPerform;
  decltype(&curl_easy_getinfo) easyGetinfo;
  decltype(&curl_easy_cleanup) easyCleanup;
  decltype(&curl_easy_strerror) easyStrerror;
  decltype(&curl_slist_append) slistAppend;
  decltype(&curl_slist_free_all) slistFreeAll;
};

// libcurl is loaded by the first transfer, not when the launcher starts: the library and
// the TLS, Kerberos and LDAP libraries it brings take about 15 ms to load, and a start
// without a login token makes no request before its window is up.
//
// Loads and initialises libcurl on the first call, from any thread (concurrent first calls
// wait for one load); later calls return the same table, which lives until the process
// ends. Returns null when libcurl cannot be loaded (traced once); every later call then
// fails the same way, and `error`, when given, says why.
const CurlApi* LoadCurl(QString* error = nullptr);

}  // namespace tarvex
