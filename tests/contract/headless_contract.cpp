// The window contract on the in-memory window system.
#include <memory>

#include "platform/headless/headless_services.h"
#include "window_contract.h"

namespace vornic::contract {
namespace {

class HeadlessBackend final : public ContractBackend {
 public:
  WindowInspection& Fresh() override {
    services_ = std::make_unique<headless::HeadlessWindowServices>();
    return *services_;
  }
  void Finish() override {}
  std::u16string ReportFatalErrorAndRead(std::u16string_view message) override {
    services_->ReportFatalError(message);
    return services_->fatalErrorsShown.back();
  }
  [[nodiscard]] bool HasFocus() const override { return false; }
  int NextInTabOrder(const FormDefinition& /*form*/, int /*control*/) override { return -1; }

 private:
  std::unique_ptr<headless::HeadlessWindowServices> services_;
};

}  // namespace

ContractBackend& Backend() {
  static HeadlessBackend backend;
  return backend;
}

}  // namespace vornic::contract
