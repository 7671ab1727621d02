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
  // In ClipboardShape's order.
  bool PutOnClipboard(ClipboardShape shape) override {
    const headless::ClipboardContents shapes[] = {{std::u16string(kClipboardText), {}},
                                                  {{}, {"image"}},
                                                  {std::u16string(kCopiedFile), {"files"}},
                                                  {std::u16string(kClipboardLimit + 1, u'x'), {}},
                                                  {u"never read", {}}};
    services_->clipboard = shapes[static_cast<std::size_t>(shape)];
    if (shape == ClipboardShape::FailingRead) services_->FailNext("ClipboardGetText");
    return true;
  }

 private:
  std::unique_ptr<headless::HeadlessWindowServices> services_;
};

}  // namespace

ContractBackend& Backend() {
  static HeadlessBackend backend;
  return backend;
}

}  // namespace vornic::contract
