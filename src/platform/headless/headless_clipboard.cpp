#include "platform/headless/headless_services.h"

namespace vornic::headless {

bool HeadlessWindowServices::DoClipboardHasText() {
  Record("ClipboardHasText");
  return clipboard.HasText();
}

ClipboardText HeadlessWindowServices::DoClipboardGetText(std::size_t /*maxLength*/) {
  Record("ClipboardGetText");
  if (beforeClipboardRead) beforeClipboardRead();
  // As on a real desktop: a clipboard emptied since the format test has no
  // text. The whole text is delivered: the seam refuses one that is too long.
  return clipboard.HasText() ? ClipboardText::Of(*clipboard.text) : ClipboardText::None();
}

void HeadlessWindowServices::DoClipboardClear() {
  Record("ClipboardClear");
  clipboard = {};
}

}  // namespace vornic::headless
