#include "platform/headless/headless_services.h"

namespace vornic::headless {

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

}  // namespace vornic::headless
