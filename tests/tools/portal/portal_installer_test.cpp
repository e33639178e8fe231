// The installer the portal serves really installs a game that really runs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "portal_instance.h"
#include "raw_http.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Runs a command line with HOME and XDG_DATA_HOME inside the folder; its exit status.
int RunIn(const std::filesystem::path& folder, const std::string& command) {
  const std::string line = "HOME='" + (folder / "home").string() + "' XDG_DATA_HOME='" + (folder / "data").string() +
                           "' " + command;
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(PortalInstaller, DownloadedScriptInstallsARunnableGameAndItsIcon) {
  PortalInstance portal;
  ASSERT_TRUE(portal.Started());
  const std::filesystem::path folder = portal.Folder();
  const RawExchange download = Get(portal.Port(), "/games/hero/download-hero.exe?t=-123");
  ASSERT_EQ(download.Status(), 200);
  EXPECT_EQ(download.Header("Content-Type"), "application/octet-stream");
  EXPECT_EQ(std::to_string(download.Body().size()), download.Header("Content-Length"));
  std::ofstream(folder / "hero-7z.exe", std::ios::binary) << download.Body();

  ASSERT_EQ(RunIn(folder, "/bin/sh '" + (folder / "hero-7z.exe").string() + "'"), 0);
  const std::filesystem::path game = folder / "data" / "Tarvex" / "Box" / "games" / "hero";
  const std::filesystem::path exe = game / "hero.exe";
  ASSERT_TRUE(std::filesystem::is_regular_file(exe));
  EXPECT_NE(std::filesystem::status(exe).permissions() & std::filesystem::perms::owner_exec,
            std::filesystem::perms::none);
  // Nothing half-written is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(game), {}), 2);

  // A real .ico: reserved 0, type 1, one 32 x 32 image of 32 bits, data right after.
  const std::string icon = ReadFile(game / "hero.ico");
  ASSERT_EQ(icon.size(), 6u + 16u + 40u + 32u * 32u * 4u + 32u * 4u);
  EXPECT_EQ(icon.substr(0, 6), std::string("\0\0\1\0\1\0", 6));
  EXPECT_EQ(icon[6], 32);
  EXPECT_EQ(icon[12], 32);
  EXPECT_EQ(icon[18], 22);

  // The game records its arguments, one line per run, and takes about a second.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunIn(folder, "'" + exe.string() + "' PARAMS123"), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  ASSERT_EQ(RunIn(folder, "cd / && '" + exe.string() + "' -a 'two words'"), 0);
  EXPECT_EQ(ReadFile(game / "args.log"), "PARAMS123\n-a two words\n");

  // Running the installer again replaces the game in place.
  EXPECT_EQ(RunIn(folder, "/bin/sh '" + (folder / "hero-7z.exe").string() + "'"), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(exe));
}

TEST(PortalInstaller, PaddingGrowsTheDownloadAndTheInstallerStillWorks) {
  PortalInstance portal({"--installer-pad", "1000"});
  ASSERT_TRUE(portal.Started());
  const std::filesystem::path folder = portal.Folder();
  const size_t plain = Get(portal.Port(), "/games/jade/download-jade.exe?pad=0").Body().size();
  EXPECT_EQ(Get(portal.Port(), "/games/jade/download-jade.exe").Body().size(), plain + 1000);

  const RawExchange padded = Get(portal.Port(), "/games/jade/download-jade.exe?t=5&pad=3000000");
  ASSERT_EQ(padded.Body().size(), plain + 3000000);
  std::ofstream(folder / "jade-7z.exe", std::ios::binary) << padded.Body();
  EXPECT_EQ(RunIn(folder, "/bin/sh '" + (folder / "jade-7z.exe").string() + "'"), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "data/Tarvex/Box/games/jade/jade.exe"));

  EXPECT_EQ(Get(portal.Port(), "/games/jade/download-jade.exe?pad=268435457").Status(), 400);
  EXPECT_EQ(Get(portal.Port(), "/games/jade/download-jade.exe?pad=lots").Status(), 400);
}

TEST(PortalInstaller, RefusesKeysThatAreNotPlainNames) {
  PortalInstance portal;
  ASSERT_TRUE(portal.Started());
  for (const char* target : {"/games//download-.exe", "/games/hero/download-jade.exe", "/games/a%27b/download-a%27b.exe",
                             "/games/a%2Fb/download-a%2Fb.exe", "/games/hero/x/download-hero.exe",
                             "/games/%2E%2E/download-%2E%2E.exe"}) {
    EXPECT_EQ(Get(portal.Port(), target).Status(), 404) << target;
  }
}

// What a client needs to resume and verify: validators, single ranges, and a checksum file
// whose sum is right or wrong as chosen on the command line.
TEST(PortalInstaller, ServesRangesValidatorsAndChecksums) {
  PortalInstance portal({"--sha256", "hero=right", "--sha256", "jade=wrong"});
  ASSERT_TRUE(portal.Started());
  const std::string target = "/games/hero/download-hero.exe?t=1";
  const RawExchange whole = Get(portal.Port(), target);
  const std::string body = whole.Body();
  const std::string size = std::to_string(body.size());
  EXPECT_EQ(whole.Header("Accept-Ranges"), "bytes");
  const std::string etag = whole.Header("ETag");
  EXPECT_EQ(etag, "\"hero-" + size + "\"");
  const std::string modified = whole.Header("Last-Modified");
  EXPECT_FALSE(modified.empty());

  const struct {
    std::string headers;
    int status;
    std::string content_range;
    std::string body;
  } cases[] = {
      {"Range: bytes=100-\r\n", 206, "bytes 100-" + std::to_string(body.size() - 1) + "/" + size, body.substr(100)},
      {"Range: bytes=100-\r\nIf-Range: " + etag + "\r\n", 206, "", body.substr(100)},
      {"Range: bytes=100-\r\nIf-Range: " + modified + "\r\n", 206, "", body.substr(100)},
      {"Range: bytes=10-19\r\n", 206, "bytes 10-19/" + size, body.substr(10, 10)},
      // Another version of the file: all of this one.
      {"Range: bytes=100-\r\nIf-Range: \"hero-1\"\r\n", 200, "", body},
      {"Range: bytes=0-1,5-9\r\n", 200, "", body},
      {"Range: bytes=" + size + "-\r\n", 416, "bytes */" + size, ""},
  };
  for (const auto& c : cases) {
    const RawExchange answer = Get(portal.Port(), target, c.headers);
    EXPECT_EQ(answer.Status(), c.status) << c.headers;
    if (!c.content_range.empty()) {
      EXPECT_EQ(answer.Header("Content-Range"), c.content_range) << c.headers;
    }
    EXPECT_TRUE(answer.Body() == c.body) << c.headers;
  }

  const std::filesystem::path folder = portal.Folder();
  std::ofstream(folder / "hero.exe", std::ios::binary) << body;
  std::ofstream(folder / "hero.exe.sha256", std::ios::binary)
      << Get(portal.Port(), "/games/hero/download-hero.exe.sha256").Body().substr(0, 64) << "  hero.exe\n";
  EXPECT_EQ(RunIn(folder, "cd '" + folder.string() + "' && sha256sum --quiet -c hero.exe.sha256"), 0);
  const RawExchange wrong = Get(portal.Port(), "/games/jade/download-jade.exe.sha256");
  EXPECT_EQ(wrong.Status(), 200);
  std::ofstream(folder / "jade.exe", std::ios::binary) << Get(portal.Port(), "/games/jade/download-jade.exe").Body();
  std::ofstream(folder / "jade.exe.sha256", std::ios::binary) << wrong.Body().substr(0, 64) << "  jade.exe\n";
  EXPECT_NE(RunIn(folder, "cd '" + folder.string() + "' && sha256sum --status -c jade.exe.sha256"), 0);
  EXPECT_EQ(Get(portal.Port(), "/games/mir/download-mir.exe.sha256").Status(), 404);
}
