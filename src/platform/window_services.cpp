#include "platform/window_services.h"

#include "platform/text_conversion.h"
#include "platform/window_system_error.h"

namespace vornic {

namespace {

// Runs a backend hook; a failure it reports names the seam operation too.
template <typename Hook>
decltype(auto) Named(const char* operation, Hook&& hook) {
  try {
    return hook();
  } catch (const WindowSystemError& failure) {
    if (failure.Operation() == operation) throw;
    throw WindowSystemError(operation, failure.what());
  }
}

const char* PropertyName(Property property) {
  switch (property) {
    case Property::Caption:
      return "caption";
    case Property::Text:
      return "text";
    case Property::Geometry:
      return "position or size";
    case Property::FontFamily:
      return "font";
    case Property::CheckMark:
      break;
  }
  return "check mark";
}

}  // namespace

std::string DescribeControl(ControlRef control) {
  const ControlDefinition& definition = control.Definition();
  std::string name(control.form->name);
  name.append(".").append(definition.name);
  if (definition.element >= 0) name.append("(").append(std::to_string(definition.element)).append(")");
  return name;
}

std::u16string FatalErrorMessage(std::string_view failure) {
  return u"Vornic has to end because of an error:\r\n\r\n" + Utf8ToUtf16(failure);
}

void WindowServices::RequireLoaded(const char* operation, const FormDefinition& form) const {
  if (!DoIsLoaded(form)) throw WindowSystemError(operation, std::string(form.name) + " is not loaded");
}

void WindowServices::RequireProperty(const char* operation, ControlRef control, Property property) const {
  if (control.form == nullptr || control.index < 0 ||
      static_cast<std::size_t>(control.index) >= control.form->controls.size()) {
    throw WindowSystemError(operation, "no such control");
  }
  RequireLoaded(operation, *control.form);
  if (!HasProperty(control.Definition().kind, property)) {
    throw WindowSystemError(operation, DescribeControl(control) + " has no " + PropertyName(property));
  }
}

bool WindowServices::ClipboardHasText() {
  return Named("ClipboardHasText", [&] { return DoClipboardHasText(); });
}

ClipboardText WindowServices::ClipboardGetText(std::size_t maxLength) {
  ClipboardText read = Named("ClipboardGetText", [&] { return DoClipboardGetText(maxLength); });
  if (read.found == ClipboardText::Found::Text && read.text.size() > maxLength) return ClipboardText::TooLong();
  return read;
}

void WindowServices::ClipboardClear() {
  Named("ClipboardClear", [&] { DoClipboardClear(); });
}

void WindowServices::ShowMessage(std::u16string_view text) {
  Named("ShowMessage", [&] { DoShowMessage(text); });
}

bool WindowServices::IsLoaded(const FormDefinition& form) const {
  return Named("IsLoaded", [&] { return DoIsLoaded(form); });
}

void WindowServices::LoadForm(const FormDefinition& form) {
  if (DoIsLoaded(form)) throw WindowSystemError("LoadForm", std::string(form.name) + " is already loaded");
  Named("LoadForm", [&] { DoLoadForm(form); });
}

void WindowServices::ShowForm(const FormDefinition& form) {
  RequireLoaded("ShowForm", form);
  Named("ShowForm", [&] { DoShowForm(form); });
}

void WindowServices::UnloadForm(const FormDefinition& form) {
  RequireLoaded("UnloadForm", form);
  Named("UnloadForm", [&] { DoUnloadForm(form); });
}

float WindowServices::GetFormMetric(const FormDefinition& form, Metric metric) const {
  RequireLoaded("GetFormMetric", form);
  return Named("GetFormMetric", [&] { return DoGetFormMetric(form, metric); });
}

void WindowServices::SetFormMetric(const FormDefinition& form, Edge edge, float twips) {
  RequireLoaded("SetFormMetric", form);
  Named("SetFormMetric", [&] { DoSetFormMetric(form, edge, twips); });
}

void WindowServices::PlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from, TwipsPoint offset) {
  RequireLoaded("PlaceFormAtOffset", form);
  RequireLoaded("PlaceFormAtOffset", from);
  Named("PlaceFormAtOffset", [&] { DoPlaceFormAtOffset(form, from, offset); });
}

void WindowServices::SetCaption(ControlRef control, std::u16string_view caption) {
  RequireProperty("SetCaption", control, Property::Caption);
  Named("SetCaption", [&] { DoSetCaption(control, caption); });
}

void WindowServices::SetText(ControlRef control, std::u16string_view text) {
  RequireProperty("SetText", control, Property::Text);
  Named("SetText", [&] { DoSetText(control, text); });
}

void WindowServices::SetMetric(ControlRef control, Metric metric, float twips) {
  RequireProperty("SetMetric", control, Property::Geometry);
  Named("SetMetric", [&] { DoSetMetric(control, metric, twips); });
}

void WindowServices::SetFontFamily(ControlRef control, std::u16string_view family) {
  RequireProperty("SetFontFamily", control, Property::FontFamily);
  Named("SetFontFamily", [&] { DoSetFontFamily(control, family); });
}

void WindowServices::SetChecked(ControlRef menuItem, bool checked) {
  RequireProperty("SetChecked", menuItem, Property::CheckMark);
  Named("SetChecked", [&] { DoSetChecked(menuItem, checked); });
}

bool WindowServices::IsChecked(ControlRef menuItem) const {
  RequireProperty("IsChecked", menuItem, Property::CheckMark);
  return Named("IsChecked", [&] { return DoIsChecked(menuItem); });
}

void WindowServices::ReportFatalError(std::u16string_view message) {
  Named("ReportFatalError", [&] { DoReportFatalError(message); });
}

void WindowServices::EndProgram(int exitStatus) {
  dispatchState_.ending = true;
  Named("EndProgram", [&] { DoEndProgram(exitStatus); });
}

int WindowServices::RunEventLoop() {
  const int status = Named("RunEventLoop", [&] { return DoRunEventLoop(); });
  dispatchState_ = {};
  return status;
}

std::u16string WindowInspection::GetCaption(ControlRef control) const {
  RequireProperty("GetCaption", control, Property::Caption);
  return Named("GetCaption", [&] { return DoGetCaption(control); });
}

std::u16string WindowInspection::GetText(ControlRef control) const {
  RequireProperty("GetText", control, Property::Text);
  return Named("GetText", [&] { return DoGetText(control); });
}

float WindowInspection::GetMetric(ControlRef control, Metric metric) const {
  RequireProperty("GetMetric", control, Property::Geometry);
  return Named("GetMetric", [&] { return DoGetMetric(control, metric); });
}

std::u16string WindowInspection::GetFontFamily(ControlRef control) const {
  RequireProperty("GetFontFamily", control, Property::FontFamily);
  return Named("GetFontFamily", [&] { return DoGetFontFamily(control); });
}

}  // namespace vornic
