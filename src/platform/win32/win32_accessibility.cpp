// Screen readers: names the tables give controls beyond their captions, and
// labels whose every new caption is spoken. Both are Active Accessibility
// annotations on the controls' windows, which UI Automation reads as well.
//
// The one place where a failing call does not end the program: a system
// without the annotation service (Wine; older Windows ignores a live
// region) still runs Vornic, only less well described to a screen reader.
#include <initguid.h>  // the GUIDs below, defined here rather than linked
#include <oleacc.h>

#include <iterator>
#include <memory>

#include "platform/win32/win32_form.h"

namespace vornic::win32 {

namespace {

// UI Automation's LiveSetting property (Windows 10 1709 and later); not in
// every SDK's headers.
constexpr GUID kLiveSettingProperty{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kLiveSettingPolite = 1;

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
using AnnotationService = std::unique_ptr<IAccPropServices, ComReleaser>;

// Null when the system has none, or COM is not running on this thread.
AnnotationService OpenAnnotationService() {
  IAccPropServices* service = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(&service)))) {
    return nullptr;
  }
  return AnnotationService(service);
}

bool IsAnnotated(const ControlDefinition& control) {
  return !control.accessibleName.empty() || control.announcesChanges;
}

}  // namespace

// A refused annotation (Wine refuses them all) is not reported: the control
// keeps the system's own description.
void AnnotateControls(const LiveForm& form) {
  AnnotationService service;
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    const ControlDefinition& definition = form.Definition(index);
    HWND window = form.controls[index].window;
    if (window == nullptr || !IsAnnotated(definition)) continue;
    if (!service && !(service = OpenAnnotationService())) return;
    if (!definition.accessibleName.empty()) {
      const std::wstring name = ToWide(definition.accessibleName);
      static_cast<void>(service->SetHwndPropStr(window, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, name.c_str()));
    }
    if (definition.announcesChanges) {
      VARIANT polite{};
      polite.vt = VT_I4;
      polite.lVal = kLiveSettingPolite;
      static_cast<void>(service->SetHwndProp(window, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty, polite));
    }
  }
}

// Annotations outlive their window unless cleared. Best effort, as above.
void ClearAnnotations(const LiveForm& form) {
  const MSAAPROPID properties[] = {PROPID_ACC_NAME, kLiveSettingProperty};
  AnnotationService service;
  for (std::size_t index = 0; index < form.controls.size(); ++index) {
    HWND window = form.controls[index].window;
    if (window == nullptr || !IsAnnotated(form.Definition(index))) continue;
    if (!service && !(service = OpenAnnotationService())) return;
    static_cast<void>(service->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, properties,
                                              static_cast<int>(std::size(properties))));
  }
}

void AnnounceChange(HWND label) { NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, label, OBJID_CLIENT, CHILDID_SELF); }

}  // namespace vornic::win32
