#include "platform/curl_library.h"

#include "platform/trace.h"

#include <dlfcn.h>

#include <optional>

namespace tarvex {
namespace {

// The soname of the libcurl whose header the launcher is compiled against.
constexpr char kCurlLibrary[] = "libcurl.so.4";

struct LoadedCurl {
  std::optional<CurlApi> api;
  QString error;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function, QString& error) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (!function) error = QStringLiteral("%1 has no %2").arg(QLatin1String(kCurlLibrary), QLatin1String(name));
  return function != nullptr;
}

LoadedCurl Load() {
  LoadedCurl loaded;
  // Never closed: transfers may run until the process ends.
  void* library = dlopen(kCurlLibrary, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    loaded.error = QString::fromLocal8Bit(dlerror());
    return loaded;
  }
  CurlApi api{};
  decltype(&curl_global_init) globalInit = nullptr;
  if (!Resolve(library, "curl_global_init", globalInit, loaded.error) ||
      !Resolve(library, "curl_easy_init", api.easyInit, loaded.error) ||
      !Resolve(library, "curl_easy_setopt", api.easySetopt, loaded.error) ||
      !Resolve(library, "curl_easy_perform", api.easyPerform, loaded.error) ||
      !Resolve(library, "curl_easy_getinfo", api.easyGetinfo, loaded.error) ||
      !Resolve(library, "curl_easy_cleanup", api.easyCleanup, loaded.error) ||
      !Resolve(library, "curl_easy_strerror", api.easyStrerror, loaded.error) ||
      !Resolve(library, "curl_slist_append", api.slistAppend, loaded.error) ||
      !Resolve(library, "curl_slist_free_all", api.slistFreeAll, loaded.error)) {
    return loaded;
  }
  // Runs once, before any handle exists, as libcurl requires.
  const CURLcode code = globalInit(CURL_GLOBAL_DEFAULT);
  if (code != CURLE_OK) {
    loaded.error = QStringLiteral("%1 did not initialise (code %2)").arg(QLatin1String(kCurlLibrary)).arg(code);
    return loaded;
  }
  loaded.api = api;
  return loaded;
}

}  // namespace

const CurlApi* LoadCurl(QString* error) {
  static const LoadedCurl loaded = [] {
    LoadedCurl attempt = Load();
    if (!attempt.api) TraceFormat(QStringLiteral("----------no libcurl----------%s\n"), attempt.error);
    return attempt;
  }();
  if (error) *error = loaded.error;
  return loaded.api ? &*loaded.api : nullptr;
}

}  // namespace tarvex
