// The window contract: one table of cases that every backend must pass alike.
// Each test program that runs it defines Backend() for its window system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window_services.h"

namespace vornic::contract {

// What another program leaves on the clipboard, shaped as real programs
// shape it: a text, a picture, files copied in a file manager (with the text
// form it adds where it adds one), a text of kClipboardLimit + 1 units, and a
// text whose read fails (an owner that stops in the middle).
enum class ClipboardShape : std::uint8_t { Text, Picture, Files, LongerThanLimit, FailingRead };
inline constexpr std::u16string_view kClipboardText = u"Hello, 世界\r\nline two";
inline constexpr std::size_t kClipboardLimit = 50000;
// A file copied in a file manager: file managers list it so, and some add it as text.
inline constexpr std::u16string_view kCopiedFile = u"file:///home/user/report.pdf";

class ContractBackend {
 public:
  ContractBackend() = default;
  ContractBackend(const ContractBackend&) = delete;
  ContractBackend& operator=(const ContractBackend&) = delete;
  ContractBackend(ContractBackend&&) = delete;
  ContractBackend& operator=(ContractBackend&&) = delete;
  virtual ~ContractBackend() = default;

  // The services for one case, with no form loaded.
  virtual WindowInspection& Fresh() = 0;
  // After a case: forms are unloaded and their windows gone.
  virtual void Finish() = 0;
  // Reports a fatal error and returns the text the user reads in its box.
  virtual std::u16string ReportFatalErrorAndRead(std::u16string_view message) = 0;
  // The control that Tab moves the focus to from this one, or -1. Only where
  // the window system has a keyboard focus (HasFocus).
  [[nodiscard]] virtual bool HasFocus() const = 0;
  virtual int NextInTabOrder(const FormDefinition& form, int control) = 0;
  // Puts the shape on the clipboard as another program would; false when
  // this window system cannot make it.
  virtual bool PutOnClipboard(ClipboardShape shape) = 0;
};

ContractBackend& Backend();

}  // namespace vornic::contract
