#include "platform/headless/headless_services.h"

#include <algorithm>

#include "platform/event_dispatch.h"
#include "platform/window_system_error.h"

namespace vornic::headless {

namespace {

float& Field(TwipsRect& rect, Metric metric) {
  switch (metric) {
    case Metric::Left:
      return rect.left;
    case Metric::Top:
      return rect.top;
    case Metric::Width:
      return rect.width;
    case Metric::Height:
      break;
  }
  return rect.height;
}

float Field(const TwipsRect& rect, Metric metric) { return Field(const_cast<TwipsRect&>(rect), metric); }

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

bool HasMenu(const FormDefinition& form) {
  return std::any_of(form.controls.begin(), form.controls.end(),
                     [](const ControlDefinition& c) { return c.kind == ControlKind::MenuItem; });
}

}  // namespace

void HeadlessWindowServices::Record(std::string_view operation, std::string_view subject) const {
  if (recordCalls) {
    std::string line(operation);
    if (!subject.empty()) line.append(" ").append(subject);
    calls.push_back(std::move(line));
  }
  if (!failing_.empty() && failing_.erase(std::string(operation)) > 0) {
    throw WindowSystemError(std::string(operation), "injected failure");
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

bool HeadlessWindowServices::DoClipboardHasText() {
  Record("ClipboardHasText");
  return clipboard.text.has_value();
}

std::u16string HeadlessWindowServices::DoClipboardGetText() {
  Record("ClipboardGetText");
  if (beforeClipboardRead) beforeClipboardRead();
  // As on a real desktop: a clipboard emptied since the format test has no text.
  return clipboard.text.value_or(u"");
}

void HeadlessWindowServices::DoClipboardClear() {
  Record("ClipboardClear");
  clipboard = {};
}

void HeadlessWindowServices::DoShowMessage(std::u16string_view text) {
  Record("ShowMessage");
  messagesShown.emplace_back(text);
  if (answerMessageBox) answerMessageBox(text);
}

void HeadlessWindowServices::DoLoadForm(const FormDefinition& form) {
  Record("LoadForm", form.name);
  FormState state;
  const float menuBar = HasMenu(form) ? frame_.menuBar : 0;
  const TwipsPoint client = form.clientPosition.value_or(TwipsPoint{0, 0});
  state.outer = {client.left - frame_.border, client.top - frame_.border - frame_.titleBar - menuBar,
                 form.clientSize.width + 2 * frame_.border,
                 form.clientSize.height + 2 * frame_.border + frame_.titleBar + menuBar};
  for (const ControlDefinition& definition : form.controls) {
    const FontDefinition* font = definition.font != nullptr ? definition.font : form.font;
    state.controls.push_back(ControlState{.content = std::u16string(definition.content),
                                          .geometry = definition.geometry,
                                          .fontFamily = font != nullptr ? std::u16string(font->family) : u"",
                                          .checked = definition.checked});
  }
  forms_.emplace(&form, std::move(state));
}

void HeadlessWindowServices::DoShowForm(const FormDefinition& form) {
  Record("ShowForm", form.name);
  forms_.at(&form).visible = true;
}

void HeadlessWindowServices::DoUnloadForm(const FormDefinition& form) {
  Record("UnloadForm", form.name);
  forms_.erase(&form);
  EndWhenNoFormRemains();
}

float HeadlessWindowServices::DoGetFormMetric(const FormDefinition& form, Metric metric) const {
  Record("GetFormMetric", form.name, metric);
  return Field(forms_.at(&form).outer, metric);
}

void HeadlessWindowServices::DoSetFormMetric(const FormDefinition& form, Edge edge, float twips) {
  Record("SetFormMetric", form.name, edge == Edge::Left ? Metric::Left : Metric::Top);
  TwipsRect& outer = forms_.at(&form).outer;
  (edge == Edge::Left ? outer.left : outer.top) = twips;
}

void HeadlessWindowServices::DoSetCaption(ControlRef control, std::u16string_view caption) {
  Record("SetCaption", control);
  Live(control).content = caption;
}

std::u16string HeadlessWindowServices::DoGetCaption(ControlRef control) const {
  Record("GetCaption", control);
  return Live(control).content;
}

void HeadlessWindowServices::DoSetText(ControlRef control, std::u16string_view text) {
  Record("SetText", control);
  Live(control).content = text;
}

std::u16string HeadlessWindowServices::DoGetText(ControlRef control) const {
  Record("GetText", control);
  return Live(control).content;
}

void HeadlessWindowServices::DoSetMetric(ControlRef control, Metric metric, float twips) {
  Record("SetMetric", control, metric);
  Field(Live(control).geometry, metric) = twips;
}

float HeadlessWindowServices::DoGetMetric(ControlRef control, Metric metric) const {
  Record("GetMetric", control, metric);
  return Field(Live(control).geometry, metric);
}

void HeadlessWindowServices::DoSetFontFamily(ControlRef control, std::u16string_view family) {
  Record("SetFontFamily", control);
  Live(control).fontFamily = family;
}

std::u16string HeadlessWindowServices::DoGetFontFamily(ControlRef control) const {
  Record("GetFontFamily", control);
  return Live(control).fontFamily;
}

void HeadlessWindowServices::DoSetChecked(ControlRef menuItem, bool checked) {
  Record("SetChecked", DescribeControl(menuItem) + (checked ? " on" : " off"));
  Live(menuItem).checked = checked;
}

bool HeadlessWindowServices::DoIsChecked(ControlRef menuItem) const {
  Record("IsChecked", menuItem);
  return Live(menuItem).checked;
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
