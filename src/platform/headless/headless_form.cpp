#include <algorithm>
#include <string>

#include "platform/headless/headless_services.h"

namespace vornic::headless {

namespace {

bool HasMenu(const FormDefinition& form) {
  return std::any_of(form.controls.begin(), form.controls.end(),
                     [](const ControlDefinition& c) { return c.kind == ControlKind::MenuItem; });
}

}  // namespace

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

// Geometry stays in twips here: one DPI for every window.
void HeadlessWindowServices::DoPlaceFormAtOffset(const FormDefinition& form, const FormDefinition& from,
                                                 TwipsPoint offset) {
  Record("PlaceFormAtOffset", std::string(form.name) + " " + std::string(from.name));
  const TwipsRect anchor = forms_.at(&from).outer;
  TwipsRect& outer = forms_.at(&form).outer;
  outer.left = anchor.left + offset.left;
  outer.top = anchor.top + offset.top;
}

}  // namespace vornic::headless
