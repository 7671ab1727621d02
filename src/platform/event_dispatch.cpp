#include "platform/event_dispatch.h"

#include <algorithm>
#include <exception>

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
  // A failure while the program is already ending (a handler resuming after
  // its message box, its windows gone) follows from the first: report once.
  if (services.dispatchState_.ending) return;
  services.dispatchState_.ending = true;
  // Reporting may itself fail (the window system is what failed); the
  // program must end regardless.
  try {
    services.ReportFatalError(FatalErrorMessage(what));
  } catch (...) {
  }
  try {
    services.EndProgram(kFailureExitStatus);
  } catch (...) {
    std::terminate();
  }
}

void DispatchEvent(WindowServices& services, const FormDefinition& form, int control, EventKind event) {
  DispatchState& state = services.dispatchState_;
  if (state.ending) return;
  const Handler handler = FindHandler(form, control, event);
  if (handler == nullptr) return;
  // A form waiting inside one of its handlers (its message box open) takes no
  // clicks or menu choices until that handler returns; a screen reader can
  // still press what the modal box keeps the mouse from. Timers go on.
  const auto& busy = state.formsInHandler;
  if (event != EventKind::TimerTick && std::find(busy.begin(), busy.end(), &form) != busy.end()) return;
  state.formsInHandler.push_back(&form);
  RunGuarded(services, [&] { handler(services); });
  state.formsInHandler.pop_back();
}

void LoadFormAndRunHandler(WindowServices& services, const FormDefinition& form) {
  services.LoadForm(form);
  if (const Handler handler = FindHandler(form, -1, EventKind::Loaded)) handler(services);
}

}  // namespace vornic
