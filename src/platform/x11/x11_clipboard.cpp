#include "platform/x11/x11_clipboard.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/window_system_error.h"
#include "platform/x11/x11_clipboard_text.h"

namespace vornic::x11 {

namespace {

// As long as Qt waits for a clipboard owner.
constexpr std::chrono::milliseconds kAnswerWait{5000};

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

struct Transfer {
  std::string type;
  std::string bytes;
};

enum class Answer : std::uint8_t { Sent, Refused, NoOwner, NoAnswer };

std::string NameIn(const xcb_get_atom_name_reply_t* reply) {
  if (reply == nullptr) return {};
  return {xcb_get_atom_name_name(reply), static_cast<std::size_t>(xcb_get_atom_name_name_length(reply))};
}

// Errors name the X request that failed; the seam adds its own operation.
class X11Clipboard {
 public:
  X11Clipboard() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
      xcb_disconnect(connection_);
      throw WindowSystemError("xcb_connect", "cannot connect to the X server");
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
    clipboard_ = Atom("CLIPBOARD");
    targets_ = Atom("TARGETS");
    incr_ = Atom("INCR");
    property_ = Atom("VORNIC_CLIPBOARD");
  }
  ~X11Clipboard() { xcb_disconnect(connection_); }  // the window goes with the connection
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;
  X11Clipboard(X11Clipboard&&) = delete;
  X11Clipboard& operator=(X11Clipboard&&) = delete;

  xcb_atom_t Atom(std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    if (!reply) throw WindowSystemError("InternAtom", "the X server did not name an atom");
    return reply->atom;
  }

  // The names of the targets the owner offers; none when it does not answer.
  std::vector<std::string> OfferedTargets() {
    Transfer list;
    if (Convert(targets_, list) != Answer::Sent) return {};
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (std::size_t at = 0; at + sizeof(xcb_atom_t) <= list.bytes.size(); at += sizeof(xcb_atom_t)) {
      xcb_atom_t atom = 0;
      list.bytes.copy(reinterpret_cast<char*>(&atom), sizeof atom, at);
      cookies.push_back(xcb_get_atom_name(connection_, atom));
    }
    std::vector<std::string> names;
    for (const auto cookie : cookies) {
      names.push_back(
          NameIn(Reply<xcb_get_atom_name_reply_t>(xcb_get_atom_name_reply(connection_, cookie, nullptr)).get()));
    }
    return names;
  }

  // The owner's answer to a request for a target, incremental or whole.
  Answer Convert(xcb_atom_t target, Transfer& transfer) {
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, clipboard_), nullptr));
    if (!owner || owner->owner == XCB_NONE) return Answer::NoOwner;
    owner_ = owner->owner;
    // Told when the owner's window goes: a program that ends mid-transfer.
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, owner_, XCB_CW_EVENT_MASK, &events);
    xcb_delete_property(connection_, window_, property_);
    xcb_convert_selection(connection_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
    xcb_flush(connection_);

    Reply<xcb_generic_event_t> event = WaitFor([&](const xcb_generic_event_t& e) {
      return (e.response_type & 0x7F) == XCB_SELECTION_NOTIFY &&
             reinterpret_cast<const xcb_selection_notify_event_t&>(e).requestor == window_;
    });
    if (!event) return Answer::NoAnswer;
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) return Answer::NoOwner;
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE) {
      return Answer::Refused;
    }
    xcb_atom_t type = TakeProperty(transfer.bytes);
    if (type == incr_) {
      transfer.bytes.clear();
      type = TakeIncrements(transfer.bytes);
    }
    transfer.type = AtomName(type);
    return Answer::Sent;
  }

 private:
  // Each piece is announced by a new value of the property; an empty piece
  // ends the transfer.
  xcb_atom_t TakeIncrements(std::string& bytes) {
    while (true) {
      const Reply<xcb_generic_event_t> event = WaitFor([&](const xcb_generic_event_t& e) {
        if ((e.response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(e);
        return change.window == window_ && change.atom == property_ && change.state == XCB_PROPERTY_NEW_VALUE;
      });
      if (!event || (event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
        throw WindowSystemError("ConvertSelection", "the clipboard's owner stopped sending in the middle of the text");
      }
      std::string piece;
      const xcb_atom_t type = TakeProperty(piece);
      if (piece.empty()) return type;
      bytes += piece;
    }
  }

  // Reads and deletes the property; deleting asks an incremental sender for
  // the next piece.
  xcb_atom_t TakeProperty(std::string& bytes) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
        nullptr));
    if (!reply) throw WindowSystemError("GetProperty", "the X server did not return the clipboard's data");
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    return reply->type;
  }

  // The first event that matches, or the owner's window going away; null
  // after the wait without either.
  template <typename Match>
  Reply<xcb_generic_event_t> WaitFor(Match matches) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (true) {
      while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        const auto kind = event->response_type & 0x7F;
        if (matches(*event) || (kind == XCB_DESTROY_NOTIFY &&
                                reinterpret_cast<xcb_destroy_notify_event_t*>(event.get())->window == owner_)) {
          return event;
        }
      }
      if (xcb_connection_has_error(connection_) != 0) {
        throw WindowSystemError("xcb_poll_for_event", "the connection to the X server broke");
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return nullptr;
      pollfd watched{xcb_get_file_descriptor(connection_), POLLIN, 0};
      poll(&watched, 1, static_cast<int>(left.count()));
    }
  }

  std::string AtomName(xcb_atom_t atom) {
    return NameIn(Reply<xcb_get_atom_name_reply_t>(
                      xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr))
                      .get());
  }

  xcb_connection_t* connection_;
  xcb_window_t window_ = XCB_NONE;
  xcb_window_t owner_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_NONE;
  xcb_atom_t targets_ = XCB_NONE;
  xcb_atom_t incr_ = XCB_NONE;
  xcb_atom_t property_ = XCB_NONE;
};

}  // namespace

bool X11ClipboardHasText() {
  X11Clipboard clipboard;
  return !TextTargetsToAsk(clipboard.OfferedTargets()).empty();
}

ClipboardText X11ClipboardText(std::size_t /*maxLength*/) {
  X11Clipboard clipboard;
  // Asked afresh: the clipboard may have changed since the format test.
  const std::vector<std::string> offered = clipboard.OfferedTargets();
  for (const std::size_t chosen : TextTargetsToAsk(offered)) {
    Transfer text;
    switch (clipboard.Convert(clipboard.Atom(offered[chosen]), text)) {
      case Answer::Sent: {
        // TEXT lets the owner choose the encoding; the type it sent says which.
        const auto encoding = TextEncodingOf(text.type).value_or(*TextEncodingOf(offered[chosen]));
        return ClipboardText::Of(DecodeClipboardText(encoding, text.bytes));
      }
      case Answer::NoAnswer:
        throw WindowSystemError("ConvertSelection", "the clipboard's owner did not send its text");
      case Answer::Refused:
        continue;  // the next text target may serve
      case Answer::NoOwner:
        return ClipboardText::None();  // gone since it offered the text
    }
  }
  return ClipboardText::None();
}

}  // namespace vornic::x11
