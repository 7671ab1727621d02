// Starts clipboard_producer.exe, which sits beside the running program, and
// waits until the clipboard holds its profile.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace vornic_test {

// The producer process, alive (as the clipboard's owner, where it has a
// window) until destroyed.
class Producer {
 public:
  explicit Producer(const std::string& profile) {
    const std::string suffix = std::to_string(GetCurrentProcessId());
    const std::string readyName = "VornicProducerReady" + suffix;
    const std::string quitName = "VornicProducerQuit" + suffix;
    ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    quit_ = CreateEventA(nullptr, TRUE, FALSE, quitName.c_str());
    std::string commandLine = "clipboard_producer.exe " + profile + " " + readyName + " " + quitName;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
      throw std::runtime_error("cannot start the producer");
    }
    const HANDLE either[] = {ready_, process_.hProcess};
    if (WaitForMultipleObjects(2, either, FALSE, 30000) != WAIT_OBJECT_0) {
      throw std::runtime_error("the producer did not fill the clipboard");
    }
  }
  ~Producer() {
    SetEvent(quit_);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    CloseHandle(quit_);
    CloseHandle(ready_);
  }
  Producer(const Producer&) = delete;
  Producer& operator=(const Producer&) = delete;

 private:
  PROCESS_INFORMATION process_{};
  HANDLE ready_ = nullptr;
  HANDLE quit_ = nullptr;
};

}  // namespace vornic_test
