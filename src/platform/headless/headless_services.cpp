#include "platform/headless/headless_services.h"

#include "platform/event_dispatch.h"
#include "platform/window_system_error.h"

namespace vornic::headless {

namespace {

std::string_view NameOf(Metric metric) {
  switch (metric) {
    case Metric::Left:
      return "Left";
    case Metric::Top:
      return "Top";
    case Metric::Width:
      return "Width";
    case Metric::Height:
      break;
  }
  return "Height";
}

}  // namespace

void HeadlessWindowServices::Record(std::string_view operation, std::string_view subject) const {
  if (recordCalls) {
    std::string line(operation);
    if (!subject.empty()) line.append(" ").append(subject);
    calls.push_back(std::move(line));
  }
  if (!failing_.empty() && failing_.erase(std::string(operation)) > 0) {
    // Named as the system's own call would be; the seam adds its own name.
    throw WindowSystemError(std::string(operation) + " (in memory)", "injected failure");
  }
}

void HeadlessWindowServices::Record(std::string_view operation, ControlRef control) const {
  Record(operation, recordCalls ? DescribeControl(control) : std::string());
}

// Which property a geometry call touches matters as much as which control.
void HeadlessWindowServices::Record(std::string_view operation, std::string_view subject, Metric metric) const {
  std::string line;
  if (recordCalls) line.append(subject).append(" ").append(NameOf(metric));
  Record(operation, line);
}

void HeadlessWindowServices::Record(std::string_view operation, ControlRef control, Metric metric) const {
  Record(operation, recordCalls ? DescribeControl(control) : std::string(), metric);
}

void HeadlessWindowServices::DoShowMessage(std::u16string_view text) {
  Record("ShowMessage");
  messagesShown.emplace_back(text);
  if (answerMessageBox) answerMessageBox(text);
}

void HeadlessWindowServices::DoReportFatalError(std::u16string_view message) {
  calls.emplace_back("ReportFatalError");
  fatalErrorsShown.emplace_back(message);
}

void HeadlessWindowServices::DoEndProgram(int status) {
  calls.emplace_back("EndProgram");
  forms_.clear();
  if (!exitStatus) exitStatus = status;
}

int HeadlessWindowServices::DoRunEventLoop() { return exitStatus.value_or(0); }

void HeadlessWindowServices::Dispatch(ControlRef control, EventKind event) {
  const auto found = forms_.find(control.form);
  // A user can only act on a window that is on the screen.
  if (!Running() || found == forms_.end() || !found->second.visible) return;
  DispatchEvent(*this, *control.form, control.index, event);
}

void HeadlessWindowServices::Click(ControlRef control) { Dispatch(control, EventKind::Clicked); }

void HeadlessWindowServices::ChooseMenu(ControlRef menuItem) { Dispatch(menuItem, EventKind::MenuChosen); }

void HeadlessWindowServices::Tick() {
  std::vector<ControlRef> timers;
  for (const auto& [form, state] : forms_) {
    if (!state.visible) continue;
    for (std::size_t i = 0; i < form->controls.size(); ++i) {
      if (form->controls[i].kind == ControlKind::Timer) timers.push_back({form, static_cast<int>(i)});
    }
  }
  for (const ControlRef timer : timers) Dispatch(timer, EventKind::TimerTick);
}

void HeadlessWindowServices::Resize(const FormDefinition& form, float outerWidth, float outerHeight) {
  FormState& state = forms_.at(&form);
  state.outer.width = outerWidth;
  state.outer.height = outerHeight;
}

void HeadlessWindowServices::Move(const FormDefinition& form, float outerLeft, float outerTop) {
  FormState& state = forms_.at(&form);
  state.outer.left = outerLeft;
  state.outer.top = outerTop;
}

void HeadlessWindowServices::Close(const FormDefinition& form) {
  if (!forms_.contains(&form)) return;
  forms_.erase(&form);
  EndWhenNoFormRemains();
}

bool HeadlessWindowServices::IsVisible(const FormDefinition& form) const {
  const auto found = forms_.find(&form);
  return found != forms_.end() && found->second.visible;
}

void HeadlessWindowServices::EndWhenNoFormRemains() {
  if (forms_.empty() && !exitStatus) exitStatus = 0;
}

}  // namespace vornic::headless
