#include "platform/event_dispatch.h"

#include <exception>

#include "platform/text_conversion.h"
#include "platform/window_services.h"

namespace vornic {

namespace {

Handler FindHandler(const FormDefinition& form, int control, EventKind event) {
  for (const EventRoute& route : form.routes) {
    if (route.event == event && route.control == control) return route.handler;
  }
  return nullptr;
}

}  // namespace

void ReportFailureAndEnd(WindowServices& services, const char* what) {
  // Reporting may itself fail (the window system is what failed); the
  // program must end regardless.
  try {
    services.ReportFatalError(Utf8ToUtf16(what));
  } catch (...) {
  }
  try {
    services.EndProgram(kFailureExitStatus);
  } catch (...) {
    std::terminate();
  }
}

bool DispatchEvent(WindowServices& services, const FormDefinition& form, int control, EventKind event) {
  const Handler handler = FindHandler(form, control, event);
  if (handler == nullptr) return true;
  return RunGuarded(services, [&] { handler(services); });
}

void LoadFormAndRunHandler(WindowServices& services, const FormDefinition& form) {
  services.LoadForm(form);
  if (const Handler handler = FindHandler(form, -1, EventKind::Loaded)) handler(services);
}

}  // namespace vornic
