// The X11 clipboard read on a connection of Vornic's own, so that the targets
// its owner really offers decide what is text, not Qt's guesses from other
// formats. One ClipboardRead serves one click: the format test and the read
// share its connection and one deadline, a few seconds after it was made,
// however slowly the owner sends.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

#include "platform/window_services.h"

namespace vornic::x11 {

class ClipboardRead {
 public:
  // Connects to the X server; the deadline starts now. Throws
  // WindowSystemError naming the X request that failed.
  ClipboardRead();
  ~ClipboardRead();
  ClipboardRead(const ClipboardRead&) = delete;
  ClipboardRead& operator=(const ClipboardRead&) = delete;
  ClipboardRead(ClipboardRead&&) = delete;
  ClipboardRead& operator=(ClipboardRead&&) = delete;

  // Whether the owner offers a plain-text target. No owner, or one that does
  // not answer before the deadline, offers nothing.
  bool HasText();

  // The text of the first plain-text target the owner gives, LongerThanLimit
  // as soon as its bytes show it has more than maxLength units, NoText when
  // no target gives text or the owner has gone. Throws WindowSystemError when
  // the owner does not finish sending before the deadline or stops midway.
  ClipboardText Text(std::size_t maxLength);

  // After Text refused an incremental transfer (too long, or no text): the
  // rest is still to come. Some owners (xclip) serve no one else until a
  // transfer ends, so its pieces are taken and dropped, unread, as they come.
  [[nodiscard]] bool Draining() const;
  // Until the drain gives up on an owner that never ends the transfer.
  [[nodiscard]] std::chrono::milliseconds DrainTimeLeft() const;
  // The connection's socket: readable when a piece may have come.
  [[nodiscard]] int FileDescriptor() const;
  // Drops every piece that has come, without waiting for more. False once
  // the transfer has ended, the owner has gone, the connection broke or the
  // drain's time is up. Never throws: it runs from an event loop.
  bool DrainPieces();

 private:
  class Session;
  std::unique_ptr<Session> session_;
};

// Leaves the clipboard with no owner, so with no formats; its owner is told
// to let go. Unlike taking the clipboard first, this needs the time of no
// user event, so it works when a screen reader presses the button too.
void EmptyClipboard();

}  // namespace vornic::x11
