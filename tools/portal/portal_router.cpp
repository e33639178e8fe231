#include "portal_router.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "byte_range.h"
#include "game_page.h"
#include "icon_image.h"
#include "installer.h"
#include "pages.h"
#include "text_codec.h"

namespace portal {

namespace {

// Path segments of the request target as sent (not yet decoded), so that an encoded
// '/' inside a field does not split it; segment k is address field k + 2.
std::vector<std::string> RawSegments(const httplib::Request& request) {
  return SplitFields(TargetPath(request.target), '/');
}

std::string Segment(const std::vector<std::string>& segments, size_t index) {
  return index < segments.size() ? PercentDecode(segments[index]) : std::string();
}

std::string CookieValue(const httplib::Request& request, const std::string& name) {
  for (std::string cookie : SplitFields(request.get_header_value("Cookie"), ';')) {
    cookie.erase(0, cookie.find_first_not_of(' '));
    if (cookie.starts_with(name + "=")) return PercentDecode(cookie.substr(name.size() + 1));
  }
  return {};
}

bool IsOneOf(const std::string& path, std::initializer_list<const char*> candidates) {
  for (const char* candidate : candidates) {
    if (path == candidate) return true;
  }
  return false;
}

std::string RawQuery(const httplib::Request& request) {
  const size_t mark = request.target.find('?');
  return mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
}

std::string MimeType(const std::filesystem::path& file) {
  static const std::pair<const char*, const char*> kTypes[] = {
      {".html", "text/html; charset=utf-8"}, {".htm", "text/html; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},   {".js", "text/javascript; charset=utf-8"},
      {".json", "application/json"},         {".png", "image/png"},
      {".jpg", "image/jpeg"},                {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},              {".txt", "text/plain; charset=utf-8"}};
  for (const auto& [extension, type] : kTypes) {
    if (file.extension() == extension) return type;
  }
  return "application/octet-stream";
}

}  // namespace

PortalRouter::PortalRouter(TokenTable tokens, std::string static_root, uint64_t installer_padding)
    : m_tokens(std::move(tokens)), m_static_root(std::move(static_root)), m_installer_padding(installer_padding) {}

void PortalRouter::AddClick(std::string prefix, std::string id) {
  m_clicks.emplace_back(std::move(prefix), std::move(id));
}

void PortalRouter::AddChecksum(std::string key, bool right) { m_checksums[std::move(key)] = right; }

void PortalRouter::AddWindowsGame(std::string key, std::shared_ptr<const std::string> setup) {
  m_windows_games[std::move(key)] = std::move(setup);
}

Reply PortalRouter::InstallerOf(const std::string& key, uint64_t padding) const {
  const auto windows = m_windows_games.find(key);
  return windows == m_windows_games.end() ? Installer::For(key, padding)
                                          : Installer::ForWindows(key, padding, *windows->second);
}

Reply PortalRouter::Route(const httplib::Request& request, const std::string& host) const {
  Reply reply = Dispatch(request, host);
  InjectClick(request.path, reply);
  return reply;
}

void PortalRouter::InjectClick(const std::string& path, Reply& reply) const {
  if (reply.status != 200 || !reply.content_type.starts_with("text/html")) return;
  const std::pair<std::string, std::string>* chosen = nullptr;
  for (const auto& click : m_clicks) {
    if (path.starts_with(click.first) && (!chosen || click.first.size() > chosen->first.size())) chosen = &click;
  }
  if (!chosen) return;
  std::string body = reply.Body();
  const std::string script = "<script>addEventListener('load', () => setTimeout(() => {"
                             " const target = document.getElementById(" + JsonQuote(chosen->second, true) + ");"
                             " if (target) target.click(); }, 300));</script>";
  const size_t end = body.rfind("</body>");
  body.insert(end == std::string::npos ? body.size() : end, script);
  Reply clicked = Reply::Html(std::move(body));
  clicked.headers = std::move(reply.headers);
  reply = std::move(clicked);
}

Reply PortalRouter::Dispatch(const httplib::Request& request, const std::string& host) const {
  const std::string& path = request.path;
  if (request.method == "POST" && path == "/mini/login/submit") return SignIn(request);
  if (request.method != "GET" && request.method != "HEAD") {
    Reply reply = Reply::Text(405, "text/plain; charset=utf-8", "method not allowed\n");
    reply.headers.emplace_back("Allow", "GET, HEAD");
    return reply;
  }
  if (IsOneOf(path, {"/", "/mini/index", "/mini/index/"})) return Reply::Html(pages::Index(CookieValue(request, "tarvex_user")));
  if (IsOneOf(path, {"/mini/server_inf_data", "/mini/server_inf_data/"})) {
    const std::string token = request.get_param_value("key");
    return Reply::Html(pages::ServerInfo(token, m_tokens.Address(token, host)));
  }
  if (path.starts_with("/mini/servers/")) return Reply::Html(pages::Servers(path.substr(14)));
  if (IsOneOf(path, {"/mini/pay_app", "/mini/pay_app/"})) return Reply::Html(pages::Pay("充值中心", RawQuery(request)));
  if (path == "/payment/app_pay") return Reply::Html(pages::Pay("游戏直购", RawQuery(request)));
  if (path == "/payment/esafe_webatm") return Reply::Html(pages::Pay("网银充值", RawQuery(request)));
  if (path.starts_with("/pay/index/")) return Reply::Html(pages::PayResult(request.get_param_value("ok") == "1"));
  if (path == "/mini/login") return Reply::Html(pages::Login());
  if (path == "/mini/login/submit") return SignIn(request);
  if (path.starts_with("/user/index/")) return Reply::Html(pages::SignedIn(CookieValue(request, "tarvex_user")));
  if (path == "/mini/news") return Reply::Html(pages::News());
  if (path == "/mini/frame/news") return Reply::Html(pages::NewsFrame());
  if (path == "/service/online") return Reply::Html(pages::Service());
  if (path == "/mini/play/frame/leaderboard") return Reply::Html(pages::Leaderboard(request.get_param_value("game_id")));
  if (path.starts_with("/mini/play/")) return GamePage(request);
  if (path.starts_with("/game_play/")) return ClientGamePage(request);
  if (path == "/tj/minclient") return Reply::Text(200, "text/plain; charset=utf-8", "ok\n");
  if (IsOneOf(path, {"/outapi/game_get_box_url", "/outapi/game_get_box_url/"})) return GameAddress(request, host);
  if (path.starts_with("/games/")) return InstallerDownload(request);
  if (path == "/favicon.ico") return Reply::Text(200, "image/x-icon", IconImage::ForKey("tarvex"));
  return StaticFile(path);
}

Reply PortalRouter::GameAddress(const httplib::Request& request, const std::string& host) const {
  const auto answer = m_tokens.Answer(request.get_param_value("key"), host);
  if (!answer) return Reply::Text(404, "application/json", "{\"code\":0}");
  return Reply::Text(200, "application/json", *answer);
}

Reply PortalRouter::GamePage(const httplib::Request& request) const {
  // /mini/play/KIND/ID/SERVER/NAME/FAN: address fields 6 to 9.
  const std::vector<std::string> segments = RawSegments(request);
  GameInfo game{Segment(segments, 4), Segment(segments, 5), Segment(segments, 6), Segment(segments, 7)};
  if (game.name.empty()) game.name = GameInfo::Known(game.id, game.server).name;
  return Reply::Html(GamePageHtml(game));
}

Reply PortalRouter::ClientGamePage(const httplib::Request& request) const {
  // /game_play/ARGS/KEY/NAME/PARAMS: address fields 4 to 7.
  const std::vector<std::string> segments = RawSegments(request);
  return Reply::Html(pages::ClientGame(Segment(segments, 3), Segment(segments, 4)));
}

Reply PortalRouter::InstallerDownload(const httplib::Request& request) const {
  // /games/KEY/download-KEY.exe, and its checksum file /games/KEY/download-KEY.exe.sha256
  const std::vector<std::string> segments = SplitFields(request.path, '/');
  const std::string key = segments.size() == 4 ? segments[2] : std::string();
  const Reply missing = Reply::Text(404, "text/html; charset=utf-8", pages::NotFound(request.path));
  if (!Installer::IsValidKey(key)) return missing;
  if (segments[3] == "download-" + key + ".exe.sha256") {
    const auto checksum = m_checksums.find(key);
    if (checksum == m_checksums.end()) return missing;
    return Reply::Text(200, "text/plain; charset=utf-8", Installer::Sha256Line(key, InstallerOf(key, m_installer_padding), checksum->second));
  }
  if (segments[3] != "download-" + key + ".exe") return missing;
  uint64_t padding = m_installer_padding;
  if (request.has_param("pad")) {
    const std::string text = request.get_param_value("pad");
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), padding);
    if (error != std::errc() || end != text.data() + text.size() || padding > Installer::kMaxPadding) {
      return Reply::Text(400, "text/plain; charset=utf-8", "pad must be a number of bytes up to 268435456\n");
    }
  }
  return ByteRange::Apply(InstallerOf(key, padding), request.get_header_value("Range"),
                          request.get_header_value("If-Range"));
}

Reply PortalRouter::SignIn(const httplib::Request& request) const {
  std::string user = request.get_param_value("user");
  if (user.empty()) user = "player";
  Reply reply = Reply::Redirect("/mini/index/?login=" + PercentEncode(user));
  reply.headers.emplace_back("Set-Cookie", "tarvex_user=" + PercentEncode(user) + "; Path=/");
  return reply;
}

Reply PortalRouter::StaticFile(const std::string& path) const {
  const Reply missing = Reply::Text(404, "text/html; charset=utf-8", pages::NotFound(path));
  if (m_static_root.empty() || path.find('\0') != std::string::npos) return missing;
  for (const std::string& segment : SplitFields(path, '/')) {
    if (segment == "..") return missing;
  }
  // "//etc/passwd" leaves an absolute remainder, which would replace the root when joined.
  const std::filesystem::path remainder = path.substr(1);
  if (remainder.is_absolute()) return missing;
  // Whatever the path's spelling or the links under the root, the file must lie inside it.
  std::error_code error;
  const std::filesystem::path root = std::filesystem::canonical(m_static_root, error);
  if (error) return missing;
  const std::filesystem::path file = std::filesystem::canonical(root / remainder, error);
  if (error || !std::filesystem::is_regular_file(file, error)) return missing;
  const auto [root_end, file_at] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (root_end != root.end()) return missing;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return Reply::Text(200, MimeType(file), bytes.str());
}

}  // namespace portal
