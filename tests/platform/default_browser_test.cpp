#include "support/fake_services.h"
#include "support/param_name.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct AddressCase {
  const char* address;
  bool handed;
};

class DefaultBrowserSchemeTest : public ::testing::TestWithParam<AddressCase> {};

INSTANTIATE_TEST_SUITE_P(
    Schemes, DefaultBrowserSchemeTest,
    ::testing::Values(AddressCase{"https://portal.test/service/online", true},
                      AddressCase{"http://portal.test/payment/esafe_webatm?game_id=1&server_id=2", true},
                      AddressCase{"HTTP://portal.test/x", true},
                      AddressCase{"file:///etc/passwd", false},
                      AddressCase{"javascript:alert(1)", false},
                      AddressCase{"zpay://order=5", false},
                      AddressCase{"portal.test/mini/index", false},
                      AddressCase{"http:///no-host", false},
                      AddressCase{"", false}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return testing::ParamName(info.param.address); });

TEST_P(DefaultBrowserSchemeTest, OnlyWebAddressesLeaveTheLauncher) {
  testing::RecordingDefaultBrowser browser;
  EXPECT_EQ(browser.Open(QString::fromUtf8(GetParam().address)), GetParam().handed);
  EXPECT_EQ(browser.Opened().size(), GetParam().handed ? 1 : 0);
}

}  // namespace
}  // namespace tarvex
