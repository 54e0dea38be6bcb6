#include "client/system/startup_registration.h"

#include <gtest/gtest.h>

#include "fake_registration.h"

namespace tarvo {
namespace {

TEST(RunAtStartup, EnableNeedsAPathAndDisableDeletes) {
  FakeRegistration run;
  EXPECT_FALSE(SetRunAtStartup(run, true, L""));
  EXPECT_FALSE(run.value);
  EXPECT_TRUE(SetRunAtStartup(run, true, RunAtStartupPath(L"D:\\apps")));
  EXPECT_EQ(run.value, L"\"D:\\apps\\Tarvo.exe\"");
  EXPECT_TRUE(SetRunAtStartup(run, false, L""));
  EXPECT_FALSE(run.value);
}

}  // namespace
}  // namespace tarvo
