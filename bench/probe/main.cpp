// Times the launcher's own transfer code, one line of seconds per run:
//   bench_probe download ADDRESS DESTINATION   the installer download (InstallerFetch: its
//                                              checksum file, the resumable transfer, the
//                                              hash), with a progress callback as the
//                                              window has
//   bench_probe portal HOST TARGET COUNT        the game-address request (PortalGet), COUNT times
#include "install/installer_fetch.h"
#include "portal/portal_transport.h"


#include <QString>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

double SecondsOf(const std::function<bool()>& run) {
  const auto start = std::chrono::steady_clock::now();
  if (!run()) {
    std::fprintf(stderr, "transfer failed\n");
    std::exit(1);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Download(const char* address, const char* destination) {
  std::atomic<bool> cancelled{false};
  tarvex::InstallerFetch fetch(QString::fromLocal8Bit(address), QString::fromLocal8Bit(destination), cancelled);
  std::int64_t reports = 0;
  fetch.SetProgress([&reports](std::int64_t, std::int64_t) { ++reports; });
  const double seconds = SecondsOf([&] { return fetch.Run() == tarvex::InstallerFetch::Result::Ready; });
  std::printf("%.6f %lld\n", seconds, static_cast<long long>(reports));
  return 0;
}

int Portal(const char* host, const char* target, int count) {
  tarvex::PortalTransportOptions options;
  options.host = QString::fromLocal8Bit(host);
  options.userAgent = QStringLiteral("NimboClient");
  for (int run = 0; run < count; ++run) {
    const double seconds = SecondsOf([&] {
      const auto answer = tarvex::PortalGet(options, QString::fromLocal8Bit(target), tarvex::PortalBody::Read);
      return answer && answer->status == 200;
    });
    std::printf("%.6f\n", seconds);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 2;
  if (argc == 4 && QString::fromLatin1(argv[1]) == QLatin1String("download")) status = Download(argv[2], argv[3]);
  if (argc == 5 && QString::fromLatin1(argv[1]) == QLatin1String("portal")) status = Portal(argv[2], argv[3], std::atoi(argv[4]));
  if (status == 2) std::fprintf(stderr, "usage: bench_probe download ADDRESS DESTINATION | portal HOST TARGET COUNT\n");
  return status;
}
