#include "platform/headless/headless_window_services.h"

#include <algorithm>

#include "platform/event_dispatch.h"
#include "platform/window_system_error.h"

namespace vornic::headless {

namespace {

std::string Describe(ControlRef control) {
  const ControlDefinition& definition = control.Definition();
  std::string name(control.form->name);
  name.append(".").append(definition.name);
  if (definition.element >= 0) name.append("(").append(std::to_string(definition.element)).append(")");
  return name;
}

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
  Record(operation, recordCalls ? Describe(control) : std::string());
}

// Which property a geometry call touches matters as much as which control.
void HeadlessWindowServices::Record(std::string_view operation, std::string_view subject, Metric metric) const {
  std::string line;
  if (recordCalls) line.append(subject).append(" ").append(NameOf(metric));
  Record(operation, line);
}

void HeadlessWindowServices::Record(std::string_view operation, ControlRef control, Metric metric) const {
  Record(operation, recordCalls ? Describe(control) : std::string(), metric);
}

HeadlessWindowServices::FormState& HeadlessWindowServices::LiveForm(const FormDefinition& form,
                                                                    std::string_view operation) {
  const auto found = forms_.find(&form);
  if (found == forms_.end()) throw WindowSystemError(std::string(operation), std::string(form.name) + " is not loaded");
  return found->second;
}

const HeadlessWindowServices::FormState& HeadlessWindowServices::LiveForm(const FormDefinition& form,
                                                                          std::string_view operation) const {
  return const_cast<HeadlessWindowServices*>(this)->LiveForm(form, operation);
}

HeadlessWindowServices::ControlState& HeadlessWindowServices::LiveControl(ControlRef control,
                                                                          std::string_view operation) {
  return LiveForm(*control.form, operation).controls.at(static_cast<std::size_t>(control.index));
}

const HeadlessWindowServices::ControlState& HeadlessWindowServices::LiveControl(ControlRef control,
                                                                                std::string_view operation) const {
  return const_cast<HeadlessWindowServices*>(this)->LiveControl(control, operation);
}

void HeadlessWindowServices::RequireKind(ControlRef control, std::initializer_list<ControlKind> kinds,
                                         std::string_view operation) {
  if (std::find(kinds.begin(), kinds.end(), control.Definition().kind) == kinds.end()) {
    throw WindowSystemError(std::string(operation), Describe(control) + " has no such property");
  }
}

bool HeadlessWindowServices::ClipboardHasFormat(int format) {
  Record("ClipboardHasFormat", std::to_string(format));
  return format == kPlainTextFormat && clipboard.text.has_value();
}

std::u16string HeadlessWindowServices::ClipboardGetText() {
  Record("ClipboardGetText");
  if (beforeClipboardRead) beforeClipboardRead();
  // As on a real desktop: a clipboard emptied since the format test has no text.
  return clipboard.text.value_or(u"");
}

void HeadlessWindowServices::ClipboardClear() {
  Record("ClipboardClear");
  clipboard = {};
}

void HeadlessWindowServices::ShowMessage(std::u16string_view text) {
  Record("ShowMessage");
  messagesShown.emplace_back(text);
  if (answerMessageBox) answerMessageBox(text);
}

bool HeadlessWindowServices::IsLoaded(const FormDefinition& form) const {
  Record("IsLoaded", form.name);
  return forms_.contains(&form);
}

void HeadlessWindowServices::LoadForm(const FormDefinition& form) {
  Record("LoadForm", form.name);
  if (forms_.contains(&form)) throw WindowSystemError("LoadForm", std::string(form.name) + " is already loaded");
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

void HeadlessWindowServices::ShowForm(const FormDefinition& form) {
  Record("ShowForm", form.name);
  LiveForm(form, "ShowForm").visible = true;
}

void HeadlessWindowServices::UnloadForm(const FormDefinition& form) {
  Record("UnloadForm", form.name);
  LiveForm(form, "UnloadForm");
  forms_.erase(&form);
  EndWhenNoFormRemains();
}

float HeadlessWindowServices::GetFormMetric(const FormDefinition& form, Metric metric) const {
  Record("GetFormMetric", form.name, metric);
  return Field(LiveForm(form, "GetFormMetric").outer, metric);
}

void HeadlessWindowServices::SetFormMetric(const FormDefinition& form, Metric metric, float twips) {
  Record("SetFormMetric", form.name, metric);
  if (metric == Metric::Width || metric == Metric::Height) {
    throw WindowSystemError("SetFormMetric", "the program does not size windows");
  }
  Field(LiveForm(form, "SetFormMetric").outer, metric) = twips;
}

void HeadlessWindowServices::SetCaption(ControlRef control, std::u16string_view caption) {
  Record("SetCaption", control);
  RequireKind(control, {ControlKind::PushButton, ControlKind::Label, ControlKind::MenuItem}, "SetCaption");
  LiveControl(control, "SetCaption").content = caption;
}

std::u16string HeadlessWindowServices::GetCaption(ControlRef control) const {
  Record("GetCaption", control);
  RequireKind(control, {ControlKind::PushButton, ControlKind::Label, ControlKind::MenuItem}, "GetCaption");
  return LiveControl(control, "GetCaption").content;
}

void HeadlessWindowServices::SetText(ControlRef control, std::u16string_view text) {
  Record("SetText", control);
  RequireKind(control, {ControlKind::TextBox}, "SetText");
  LiveControl(control, "SetText").content = text;
}

std::u16string HeadlessWindowServices::GetText(ControlRef control) const {
  Record("GetText", control);
  RequireKind(control, {ControlKind::TextBox}, "GetText");
  return LiveControl(control, "GetText").content;
}

void HeadlessWindowServices::SetMetric(ControlRef control, Metric metric, float twips) {
  Record("SetMetric", control, metric);
  RequireKind(control, {ControlKind::PushButton, ControlKind::TextBox, ControlKind::Label, ControlKind::PictureBox},
              "SetMetric");
  Field(LiveControl(control, "SetMetric").geometry, metric) = twips;
}

float HeadlessWindowServices::GetMetric(ControlRef control, Metric metric) const {
  Record("GetMetric", control, metric);
  return Field(LiveControl(control, "GetMetric").geometry, metric);
}

void HeadlessWindowServices::SetFontFamily(ControlRef control, std::u16string_view family) {
  Record("SetFontFamily", control);
  RequireKind(control, {ControlKind::PushButton, ControlKind::TextBox, ControlKind::Label}, "SetFontFamily");
  LiveControl(control, "SetFontFamily").fontFamily = family;
}

std::u16string HeadlessWindowServices::GetFontFamily(ControlRef control) const {
  Record("GetFontFamily", control);
  return LiveControl(control, "GetFontFamily").fontFamily;
}

void HeadlessWindowServices::SetChecked(ControlRef menuItem, bool checked) {
  Record("SetChecked", Describe(menuItem) + (checked ? " on" : " off"));
  RequireKind(menuItem, {ControlKind::MenuItem}, "SetChecked");
  LiveControl(menuItem, "SetChecked").checked = checked;
}

bool HeadlessWindowServices::IsChecked(ControlRef menuItem) const {
  Record("IsChecked", menuItem);
  RequireKind(menuItem, {ControlKind::MenuItem}, "IsChecked");
  return LiveControl(menuItem, "IsChecked").checked;
}

void HeadlessWindowServices::ReportFatalError(std::u16string_view message) {
  calls.emplace_back("ReportFatalError");
  fatalErrorsShown.emplace_back(message);
}

void HeadlessWindowServices::EndProgram(int status) {
  calls.emplace_back("EndProgram");
  forms_.clear();
  if (!exitStatus) exitStatus = status;
}

int HeadlessWindowServices::RunEventLoop() { return exitStatus.value_or(0); }

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
  FormState& state = LiveForm(form, "Resize");
  state.outer.width = outerWidth;
  state.outer.height = outerHeight;
}

void HeadlessWindowServices::Move(const FormDefinition& form, float outerLeft, float outerTop) {
  FormState& state = LiveForm(form, "Move");
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
