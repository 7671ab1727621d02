// The X11 clipboard read on a connection of Vornic's own, so that the targets
// its owner really offers decide what is text, not Qt's guesses from other
// formats. Blocks while it waits for the owner, a few seconds at most.
#pragma once

#include <cstddef>

#include "platform/window_services.h"

namespace vornic::x11 {

// Whether the clipboard's owner offers a plain-text target. No owner, or one
// that does not answer, offers nothing.
bool X11ClipboardHasText();

// The text of the owner's best plain-text target; empty when there is none
// (any more). Throws WindowSystemError naming ClipboardGetText when the owner
// does not finish sending it.
ClipboardText X11ClipboardText(std::size_t maxLength);

}  // namespace vornic::x11
