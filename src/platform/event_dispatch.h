// The one entry point through which a backend hands events to Vornic, and the
// one place where a failure is caught: it is shown to the user and the
// program ends with a non-zero status.
#pragma once

#include "platform/form_definition.h"

namespace vornic {

inline constexpr int kFailureExitStatus = 1;

// Runs the handler routed to this event of the form, if it has one. Clicks and
// menu choices of a form that is waiting inside one of its own handlers are
// dropped, and so is every event once the program is ending.
void DispatchEvent(WindowServices& services, const FormDefinition& form, int control, EventKind event);

// Creates a form and runs its load handler, if it has one. Failures propagate.
void LoadFormAndRunHandler(WindowServices& services, const FormDefinition& form);

// Runs an action under the same guard as DispatchEvent.
template <typename Action>
bool RunGuarded(WindowServices& services, Action&& action);

// Shows the failure and ends the program; only the first failure is shown.
void ReportFailureAndEnd(WindowServices& services, const char* what);

template <typename Action>
bool RunGuarded(WindowServices& services, Action&& action) {
  try {
    action();
    return true;
  } catch (const std::exception& failure) {
    ReportFailureAndEnd(services, failure.what());
  } catch (...) {
    ReportFailureAndEnd(services, "unknown failure");
  }
  return false;
}

}  // namespace vornic
