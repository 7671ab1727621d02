#include "platform/headless/headless_services.h"

namespace vornic::headless {

float& HeadlessWindowServices::Field(TwipsRect& rect, Metric metric) {
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

float HeadlessWindowServices::Field(const TwipsRect& rect, Metric metric) {
  return Field(const_cast<TwipsRect&>(rect), metric);
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

}  // namespace vornic::headless
