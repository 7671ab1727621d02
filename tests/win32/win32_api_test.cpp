// The Win32 backend's status checks, on real calls and on calls shaped like
// the ones whose failure value is also a valid answer.
#include "platform/win32/win32_api.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/window_system_error.h"

namespace vornic::win32 {
namespace {

struct CheckedCase {
  const char* name;
  DWORD staleError;  // left by an earlier call
  int returned;
  DWORD errorSet;  // by the call itself
  FailureValue meaning;
  std::optional<std::string> failure;  // the report, if it fails
};

TEST(Win32Checked, FailsOnTheFailureValueAndNamesTheCall) {
  const CheckedCase cases[] = {
      {"success", 0, 7, 0, FailureValue::OnlyOnFailure, std::nullopt},
      {"failure with an error", 0, 0, ERROR_INVALID_WINDOW_HANDLE, FailureValue::OnlyOnFailure,
       "DrawText failed: error 1400"},
      {"failure without an error", 0, 0, 0, FailureValue::OnlyOnFailure, "DrawText failed: the call failed"},
      {"valid zero answer", 0, 0, 0, FailureValue::AlsoAnAnswer, std::nullopt},
      {"zero answer with an error", 0, 0, ERROR_ACCESS_DENIED, FailureValue::AlsoAnAnswer, "DrawText failed: error 5"},
      {"valid zero answer after a stale error", ERROR_INVALID_WINDOW_HANDLE, 0, 0, FailureValue::AlsoAnAnswer,
       std::nullopt},
  };
  for (const CheckedCase& test : cases) {
    SCOPED_TRACE(test.name);
    SetLastError(test.staleError);
    const auto call = [&] {
      if (test.errorSet != 0) SetLastError(test.errorSet);
      return test.returned;
    };
    try {
      EXPECT_EQ(Checked("DrawText", 0, call, test.meaning), test.returned);
      EXPECT_FALSE(test.failure.has_value()) << "no failure reported";
    } catch (const WindowSystemError& error) {
      ASSERT_TRUE(test.failure.has_value()) << error.what();
      EXPECT_EQ(std::string(error.what()).rfind(*test.failure, 0), 0U) << error.what();
      EXPECT_EQ(error.Operation(), "DrawText");
    }
  }
}

TEST(Win32Checked, WindowTextTellsAnEmptyTitleFromAFailure) {
  HWND titled = CreateWindowExW(0, L"STATIC", L"Vornic 文字", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  HWND untitled = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(titled, nullptr);
  ASSERT_NE(untitled, nullptr);
  EXPECT_EQ(WindowText(titled), u"Vornic 文字");
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);  // stale: must not turn an empty title into a failure
  EXPECT_EQ(WindowText(untitled), u"");
  DestroyWindow(untitled);
  EXPECT_THROW(static_cast<void>(WindowText(untitled)), WindowSystemError);
  DestroyWindow(titled);
}

}  // namespace
}  // namespace vornic::win32
