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
  bool PutOnClipboard(ClipboardShape shape) override {
    headless::ClipboardContents& clipboard = services_->clipboard;
    switch (shape) {
      case ClipboardShape::Text:
        clipboard = {.text = std::u16string(kClipboardText), .otherFormats = {}};
        break;
      case ClipboardShape::Picture:
        clipboard = {.text = {}, .otherFormats = {"image"}};
        break;
      case ClipboardShape::Files:
        clipboard = {.text = u"file:///home/user/report.pdf", .otherFormats = {"files"}};
        break;
      case ClipboardShape::LongerThanLimit:
        clipboard = {.text = std::u16string(kClipboardLimit + 1, u'x'), .otherFormats = {}};
        break;
      case ClipboardShape::FailingRead:
        clipboard = {.text = u"never read", .otherFormats = {}};
        services_->FailNext("ClipboardGetText");
        break;
    }
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
