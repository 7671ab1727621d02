// The window contract: one table of cases that every backend must pass alike.
// Each test program that runs it defines Backend() for its window system.
#pragma once

#include <string>
#include <string_view>

#include "platform/window_services.h"

namespace vornic::contract {

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
};

ContractBackend& Backend();

}  // namespace vornic::contract
