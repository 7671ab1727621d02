// Times a refusal of a long clipboard text, for the benchmarks: a producer
// puts UNITS units of CF_UNICODETEXT on the clipboard, a fresh Vornic.exe's
// count button is clicked, and the limit box is waited for.
//
// Usage: clipboard_refusal_timer.exe UNITS RUNS
// Prints one line per run: "ms=<click to box> peak_kib=<before> <after>",
// the peak working set of Vornic.exe before the click and with the box shown.
#include <windows.h>
// windows.h first
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "clipboard_producer_process.h"
#include "vornic_driver.h"

namespace {

SIZE_T PeakKib(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vornic_test;
  if (argc != 3) {
    std::fprintf(stderr, "usage: clipboard_refusal_timer UNITS RUNS\n");
    return 2;
  }
  const std::string units = argv[1];
  const int runs = std::atoi(argv[2]);
  for (int run = 0; run < runs; ++run) {
    const Producer producer("long:" + units);
    const VornicProcess vornic;
    DWORD processId = 0;
    GetWindowThreadProcessId(vornic.form1, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    const SIZE_T before = PeakKib(process);
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER shown;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    vornic.PostClick(vornic.command1);
    // Polled every millisecond: WaitUntil's 10 ms would blur the small sizes.
    do {
      Sleep(1);
      QueryPerformanceCounter(&shown);
      if (shown.QuadPart - start.QuadPart > 120 * frequency.QuadPart) {
        std::fprintf(stderr, "no limit box\n");
        return 1;
      }
    } while (vornic.MessageBoxes().empty());
    const SIZE_T after = PeakKib(process);
    CloseHandle(process);
    const double ms =
        static_cast<double>(shown.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    std::printf("ms=%.1f peak_kib=%zu %zu\n", ms, static_cast<std::size_t>(before), static_cast<std::size_t>(after));
    std::fflush(stdout);
  }
  return 0;
}
