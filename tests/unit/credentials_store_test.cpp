#include "client/protocol/credentials_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "client/system/file_io.h"
#include "fake_registration.h"

namespace tarvo {
namespace {

class CredentialsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tarvo-cred-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(CredentialsStoreTest, SaveWritesFileAndRegistrationThatLoadReadsBack) {
  FakeRegistration run;
  const auto file = CredentialsFilePath(dir_);
  EXPECT_EQ(file.filename(), "TarvoCookie.txt");

  ASSERT_TRUE(SaveSignInPreferences(file, run, L"C:\\Program Files\\Tarvo", L"demo", L"pw", {true, true, true}));
  EXPECT_EQ(run.value, L"\"C:\\Program Files\\Tarvo\\Tarvo.exe\"");
  auto saved = LoadSignInPreferences(file, true);
  EXPECT_EQ(saved.rememberedId, L"demo");
  ASSERT_TRUE(saved.autoSignIn);
  EXPECT_EQ(saved.autoSignIn->password, L"pw");

  ASSERT_TRUE(SaveSignInPreferences(file, run, L"C:\\T", L"demo", L"pw", {false, false, false}));
  EXPECT_FALSE(run.value);
  EXPECT_EQ(ReadWholeFile(file), std::string());
  EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
}

TEST_F(CredentialsStoreTest, MissingFileRestoresNothingAndFailedWriteKeepsOldFile) {
  FakeRegistration run;
  const auto saved = LoadSignInPreferences(dir_ / "absent.txt", true);
  EXPECT_FALSE(saved.runAtStartup || saved.rememberedId || saved.autoSignIn);

  const auto file = CredentialsFilePath(dir_);
  ASSERT_TRUE(SaveSignInPreferences(file, run, L"C:\\T", L"keep", L"me", {true, false, false}));
  // An id the file cannot hold: the save fails and the earlier file stays whole.
  EXPECT_FALSE(SaveSignInPreferences(file, run, L"C:\\T", L"\u0e01", L"x", {true, false, false}));
  EXPECT_EQ(LoadSignInPreferences(file, true).rememberedId, L"keep");
}

}  // namespace
}  // namespace tarvo
