#include "browser/nimbo_cef_render.h"
#include "support/param_name.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

QStringList Names(const QList<ChromiumSwitch>& switches) {
  QStringList names;
  for (const ChromiumSwitch& item : switches) names.append(item.value.isEmpty() ? item.name : item.name + "=" + item.value);
  return names;
}

struct SwitchCase {
  int disableGpu;
  std::string flashVersion;
  QStringList expected;
};

class SwitchListTest : public ::testing::TestWithParam<SwitchCase> {};

const QStringList kAlways{"--proxy-auto-detect", "--enable-npapi", "--disable-web-security",
                          "allow-outdated-plugins", "ppapi-out-of-process"};

INSTANTIATE_TEST_SUITE_P(
    GpuAndFlash, SwitchListTest,
    ::testing::Values(
        SwitchCase{0, "", QStringList{"--device-scale-factor=1"} + kAlways},
        SwitchCase{1, "", QStringList{"--device-scale-factor=1", "--disable-gpu=1", "--disable-gpu-compositing=1"} + kAlways},
        SwitchCase{2, "", QStringList{"--device-scale-factor=1"} + kAlways},
        // Ten characters register no plug-in; eleven do.
        SwitchCase{0, "64_34_0_0_", QStringList{"--device-scale-factor=1"} + kAlways},
        SwitchCase{0, "64_34_0_0_2",
                   QStringList{"--device-scale-factor=1"} + kAlways +
                       QStringList{"ppapi-flash-version=64_34_0_0_2", "ppapi-flash-path=pepflashplayer64_34_0_0_2.so"}},
        SwitchCase{1, "64_34_0_0_201",
                   QStringList{"--device-scale-factor=1", "--disable-gpu=1", "--disable-gpu-compositing=1"} + kAlways +
                       QStringList{"ppapi-flash-version=64_34_0_0_201",
                                   "ppapi-flash-path=pepflashplayer64_34_0_0_201.so"}}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) {
      const SwitchCase& c = info.param;
      return "DisableGpu" + std::to_string(c.disableGpu) +
             (c.flashVersion.empty() ? std::string() : "_Flash" + testing::ParamName(c.flashVersion));
    });

TEST_P(SwitchListTest, AppendsTheSwitchesInOrderAndSpelling) {
  NimboCefRender application;
  application.m_disableGpu = GetParam().disableGpu;
  application.m_flashVersion = GetParam().flashVersion;
  EXPECT_EQ(Names(application.OnBeforeCommandLineProcessing()), GetParam().expected);
}

TEST(ChromiumFlagsTextTest, GivesEverySwitchTheDoubleDashOnce) {
  const QList<ChromiumSwitch> switches{{"--device-scale-factor", "1"}, {"allow-outdated-plugins", ""}};
  EXPECT_EQ(ChromiumFlagsText(switches), QStringLiteral("--device-scale-factor=1 --allow-outdated-plugins"));
}

}  // namespace
}  // namespace tarvex
