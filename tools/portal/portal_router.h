// Turns a request into the portal's answer: pages, the statistics ping, the game-address
// answer, installers and optional static files. Knows nothing of sockets or faults.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <httplib.h>

#include "installer.h"
#include "reply.h"
#include "token_table.h"

namespace portal {

class PortalRouter {
 public:
  // static_root: folder whose files are served when no route matches (empty: none);
  // installer_padding: bytes added to every installer unless the request asks otherwise.
  PortalRouter(TokenTable tokens, std::string static_root, uint64_t installer_padding);

  // host: the host (and port) the client addressed, used in the addresses it is given.
  Reply Route(const httplib::Request& request, const std::string& host) const;

  // Pages whose path starts with `prefix` click their element `id` shortly after they have
  // loaded, as a person would: the end-to-end tests steer the launcher's browsers this way.
  void AddClick(std::string prefix, std::string id);
  // The installer of `key` gets a checksum file, "download-KEY.exe.sha256" beside it, with
  // the right sum or a wrong one. Keys without one answer 404 there.
  void AddChecksum(std::string key, bool right);
  // The installer of `key` is the real Windows installer `setup`.
  void AddWindowsGame(std::string key, std::shared_ptr<const std::string> setup);

 private:
  Reply Dispatch(const httplib::Request& request, const std::string& host) const;
  void InjectClick(const std::string& path, Reply& reply) const;

  std::vector<std::pair<std::string, std::string>> m_clicks;
  std::map<std::string, bool> m_checksums;
  std::map<std::string, std::shared_ptr<const std::string>> m_windows_games;
  Reply GameAddress(const httplib::Request& request, const std::string& host) const;
  Reply GamePage(const httplib::Request& request) const;
  Reply ClientGamePage(const httplib::Request& request) const;
  Reply InstallerDownload(const httplib::Request& request) const;
  Reply InstallerOf(const std::string& key, uint64_t padding) const;
  Reply SignIn(const httplib::Request& request) const;
  Reply StaticFile(const std::string& path) const;

  TokenTable m_tokens;
  std::string m_static_root;
  uint64_t m_installer_padding;
};

}  // namespace portal
