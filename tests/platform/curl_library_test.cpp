#include "platform/curl_library.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tarvex {
namespace {

// Transfers on several workers may be the first to need libcurl at the same moment.
TEST(CurlLibraryTest, ConcurrentFirstCallsShareOneInitialisedLibrary) {
  std::vector<const CurlApi*> seen(6, nullptr);
  std::vector<std::thread> workers;
  for (auto& api : seen) workers.emplace_back([&api] { api = LoadCurl(); });
  for (auto& worker : workers) worker.join();

  QString error;
  const CurlApi* api = LoadCurl(&error);
  ASSERT_NE(api, nullptr) << error.toStdString();
  EXPECT_TRUE(error.isEmpty());
  for (const CurlApi* other : seen) EXPECT_EQ(other, api);
  // Initialised: a handle can be made and configured.
  CURL* easy = api->easyInit();
  ASSERT_NE(easy, nullptr);
  EXPECT_EQ(api->easySetopt(easy, CURLOPT_URL, "http://127.0.0.1:1/"), CURLE_OK);
  api->easyCleanup(easy);
}

}  // namespace
}  // namespace tarvex
