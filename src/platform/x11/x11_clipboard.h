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

// Holds the clipboard empty, as Windows' EmptyClipboard leaves it: a window
// of Vornic's own owns it and offers no data, only the list of its targets,
// until another program copies. A Wayland compositor keeps a native
// program's clipboard when an X11 client merely gives the clipboard up (mutter,
// KWin), but hands it over to an X11 owner that offers a target of its own:
// so one private target is listed, and refused like every other. When the
// owner ends, the X server leaves the clipboard with no owner.
class EmptyClipboardOwner {
 public:
  // Takes the clipboard at the X server's present time, so that it needs
  // the time of no user event and works when a screen reader presses the
  // button too. Throws WindowSystemError when the X server refuses.
  EmptyClipboardOwner();
  ~EmptyClipboardOwner();
  EmptyClipboardOwner(const EmptyClipboardOwner&) = delete;
  EmptyClipboardOwner& operator=(const EmptyClipboardOwner&) = delete;
  EmptyClipboardOwner(EmptyClipboardOwner&&) = delete;
  EmptyClipboardOwner& operator=(EmptyClipboardOwner&&) = delete;

  // Answers every request that has come, without waiting for more. False
  // once another program has taken the clipboard or the connection broke:
  // then this owner is done. Never throws: it runs from an event loop.
  bool ServeRequests();
  // Whether the clipboard is still this owner's, asked of the X server.
  bool Owns();
  // The connection's socket: readable when a request may have come.
  [[nodiscard]] int FileDescriptor() const;

 private:
  class Session;
  std::unique_ptr<Session> session_;
};

}  // namespace vornic::x11
