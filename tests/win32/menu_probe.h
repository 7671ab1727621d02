// Names shared by the test driver and the menu probe it hooks into Vornic.
#pragma once

#include <cstddef>

namespace vornic_test {

inline constexpr wchar_t kMenuProbeMessage[] = L"VornicTest.DescribeMenus";
inline constexpr wchar_t kMenuProbeMemory[] = L"Local\\VornicTestMenus";
inline constexpr wchar_t kMenuProbeReady[] = L"Local\\VornicTestMenusReady";
inline constexpr std::size_t kMenuProbeUnits = 4096;
// What a posted probe message asks for (its wParam).
enum ProbeQuestion : unsigned { kDescribeMenus = 0, kDescribeFont = 1, kDestroyWindow = 2 };
// How many dialog boxes (message boxes among them) Vornic created: a LONG.
inline constexpr wchar_t kDialogCountMemory[] = L"Local\\VornicTestDialogs";

}  // namespace vornic_test
