#include "platform/x11/x11_clipboard.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clipboard_targets.h"
#include "platform/window_system_error.h"
#include "platform/x11/x11_text_decoding.h"

namespace vornic::x11 {

namespace {

// As long as Qt waits for a clipboard owner, but for the whole read: an owner
// that sends slowly piece by piece must not hold the window longer.
constexpr std::chrono::milliseconds kReadTime{5000};

// An owner that never ends a refused transfer holds the connection no longer.
constexpr std::chrono::seconds kDrainTime{30};

// Real owners list a dozen targets or so.
constexpr std::uint32_t kMostTargets = 1024;

// The most bytes a unit of text can take in each encoding. UTF-8: 3 (a
// surrogate pair's 4 bytes make two units); an ill-formed subpart, 3 bytes at
// most, becomes one U+FFFD. COMPOUND_TEXT's escape sequences make no units,
// so nothing bounds it exactly: 8 is generous, as Xlib and other real owners
// switch character sets once per run of characters, not for every one.
std::size_t MostBytesPerUnit(ClipboardTextEncoding encoding) {
  switch (encoding) {
    case ClipboardTextEncoding::Utf8:
      return 3;
    case ClipboardTextEncoding::Latin1:
      return 1;
    case ClipboardTextEncoding::CompoundText:
      break;
  }
  return 8;
}

// More bytes than this hold more than maxLength units. The 1 is the C
// string's terminator that some owners send, which decoding drops.
std::size_t ByteCap(ClipboardTextEncoding encoding, std::size_t maxLength) {
  const std::size_t perUnit = MostBytesPerUnit(encoding);
  const std::size_t most = std::numeric_limits<std::size_t>::max() - 1;
  return maxLength > most / perUnit ? most : maxLength * perUnit + 1;
}

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

struct Disconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

Connection Connect() {
  Connection connection(xcb_connect(nullptr, nullptr));
  if (xcb_connection_has_error(connection.get()) != 0) {
    throw WindowSystemError("xcb_connect", "cannot connect to the X server");
  }
  return connection;
}

xcb_atom_t InternAtom(xcb_connection_t* c, std::string_view name) {
  const Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  if (!reply) throw WindowSystemError("InternAtom", "the X server did not name an atom");
  return reply->atom;
}

// An unmapped window, told when one of its properties changes.
xcb_window_t CreatePropertyWindow(xcb_connection_t* c) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    screen->root_visual, XCB_CW_EVENT_MASK, &events);
  return window;
}

// What GetProperty tells of a property: its type and format, its whole size
// in bytes, and as many of them as were asked for.
struct PropertyValue {
  xcb_atom_t type = XCB_NONE;
  std::uint8_t format = 0;
  std::size_t size = 0;
  std::string bytes;
};

enum class Answer : std::uint8_t { Sent, Refused, NoOwner, NoAnswer };

std::string NameIn(const xcb_get_atom_name_reply_t* reply) {
  if (reply == nullptr) return {};
  return {xcb_get_atom_name_name(reply), static_cast<std::size_t>(xcb_get_atom_name_name_length(reply))};
}

WindowSystemError OwnerTooSlow() {
  return {"ConvertSelection", "the clipboard's owner did not finish sending the text in time"};
}

}  // namespace

// Errors name the X request that failed; the seam adds its own operation.
class ClipboardRead::Session {
 public:
  Session() : connection_(Connect()), deadline_(std::chrono::steady_clock::now() + kReadTime) {
    xcb_connection_t* c = connection_.get();
    // Told of new values of its properties: how the pieces of an incremental
    // transfer arrive.
    window_ = CreatePropertyWindow(c);
    clipboard_ = InternAtom(c, "CLIPBOARD");
    targets_ = InternAtom(c, "TARGETS");
    incr_ = InternAtom(c, "INCR");
  }

  // Asked once a read: the format test and the read see the same list.
  const std::vector<std::string>& OfferedTargets() {
    if (targetsAsked_) return offeredNames_;
    targetsAsked_ = true;
    if (Convert(targets_) != Answer::Sent) return offeredNames_;
    const PropertyValue list = Take(targets_, kMostTargets * sizeof(xcb_atom_t));
    // Some owners give the list the type TARGETS instead of ATOM.
    if ((list.type != XCB_ATOM_ATOM && list.type != targets_) || list.format != 32) return offeredNames_;
    offeredAtoms_.resize(list.bytes.size() / sizeof(xcb_atom_t));
    std::memcpy(offeredAtoms_.data(), list.bytes.data(), offeredAtoms_.size() * sizeof(xcb_atom_t));
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (const xcb_atom_t atom : offeredAtoms_) cookies.push_back(xcb_get_atom_name(connection_.get(), atom));
    for (const auto cookie : cookies) {
      offeredNames_.push_back(
          NameIn(Reply<xcb_get_atom_name_reply_t>(xcb_get_atom_name_reply(connection_.get(), cookie, nullptr)).get()));
    }
    return offeredNames_;
  }

  ClipboardText Text(std::size_t maxLength) {
    const std::vector<std::string>& offered = OfferedTargets();
    for (const std::size_t chosen : TextTargetsToAsk(offered)) {
      FinishDrain();  // the owner may answer no one else until then
      const xcb_atom_t target = offeredAtoms_[chosen];
      const Answer answer = Convert(target);
      if (answer == Answer::NoOwner) return ClipboardText::None();  // gone since it offered the text
      if (answer == Answer::NoAnswer) throw OwnerTooSlow();
      if (answer == Answer::Refused) continue;  // the next text target may serve
      if (auto text = TakeText(target, *TextEncodingOf(offered[chosen]), maxLength)) return *std::move(text);
    }
    return ClipboardText::None();
  }

  bool DrainPieces() {
    xcb_connection_t* c = connection_.get();
    while (Draining()) {
      // On every pass: an owner that never stops sending must not hold the
      // event loop either.
      if (std::chrono::steady_clock::now() >= drainDeadline_) {
        drainedProperty_ = XCB_NONE;
        break;
      }
      const Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)};
      if (!event) break;
      DropPiece(*event);
    }
    if (xcb_connection_has_error(c) != 0) drainedProperty_ = XCB_NONE;
    return Draining();
  }

  [[nodiscard]] bool Draining() const { return drainedProperty_ != XCB_NONE; }
  [[nodiscard]] std::chrono::milliseconds DrainTimeLeft() const {
    return std::chrono::ceil<std::chrono::milliseconds>(drainDeadline_ - std::chrono::steady_clock::now());
  }
  [[nodiscard]] int FileDescriptor() const { return xcb_get_file_descriptor(connection_.get()); }

 private:
  // The owner's answer to a request for a target. Each target goes into the
  // property of its own name: a transfer given up on never writes into the
  // answer for the next target.
  Answer Convert(xcb_atom_t target) {
    xcb_connection_t* c = connection_.get();
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard_), nullptr));
    if (!owner || owner->owner == XCB_NONE) return Answer::NoOwner;
    owner_ = owner->owner;
    // Told when the owner's window goes: a program that ends mid-transfer.
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, owner_, XCB_CW_EVENT_MASK, &events);
    xcb_convert_selection(c, window_, clipboard_, target, target, XCB_CURRENT_TIME);
    xcb_flush(c);
    const Reply<xcb_generic_event_t> event = WaitFor([&](const xcb_generic_event_t& e) {
      const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(e);
      return (e.response_type & 0x7F) == XCB_SELECTION_NOTIFY && notify.requestor == window_ && notify.target == target;
    });
    if (!event) return Answer::NoAnswer;
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) return Answer::NoOwner;
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_NONE) {
      return Answer::Refused;
    }
    return Answer::Sent;
  }

  // The text the owner put in the property, or nothing when what it put
  // there is not text. The type it sent names the encoding (TEXT lets the
  // owner choose); its size is known before any byte is read.
  std::optional<ClipboardText> TakeText(xcb_atom_t property, ClipboardTextEncoding asked, std::size_t maxLength) {
    const PropertyValue head = Peek(property);
    if (head.type == incr_) return TakeIncrements(property, asked, maxLength);
    if (head.format != 8) return std::nullopt;
    const ClipboardTextEncoding encoding = EncodingOf(head.type, asked);
    const std::size_t cap = ByteCap(encoding, maxLength);
    if (head.size > cap) return ClipboardText::TooLong();
    const PropertyValue whole = Take(property, cap + 1);
    if (whole.size > cap) return ClipboardText::TooLong();
    return ClipboardText::Of(DecodeClipboardText(encoding, whole.bytes));
  }

  // Deleting the property asks for the next piece; an empty piece ends the
  // transfer and may carry any type, so the first piece's type counts. Past
  // the cap, or when the first piece is no text, the rest is drained, never
  // read: walking away would leave an owner that serves one transfer at a
  // time (xclip) stuck for good.
  std::optional<ClipboardText> TakeIncrements(xcb_atom_t property, ClipboardTextEncoding asked, std::size_t maxLength) {
    xcb_delete_property(connection_.get(), window_, property);
    xcb_flush(connection_.get());
    std::optional<ClipboardTextEncoding> encoding;
    std::size_t cap = 0;
    std::string bytes;
    while (true) {
      WaitForPiece(property);
      // None of its bytes: deletes only the empty piece, the end.
      const PropertyValue piece = Take(property, 0);
      if (piece.size == 0) break;
      if (!encoding) {
        if (piece.format != 8) {
          StartDrain(property);
          return std::nullopt;
        }
        encoding = EncodingOf(piece.type, asked);
        cap = ByteCap(*encoding, maxLength);
      }
      if (piece.size > cap - bytes.size()) {
        StartDrain(property);
        return ClipboardText::TooLong();
      }
      bytes += Take(property, piece.size).bytes;
    }
    return ClipboardText::Of(DecodeClipboardText(encoding.value_or(asked), bytes));
  }

  void StartDrain(xcb_atom_t property) {
    xcb_delete_property(connection_.get(), window_, property);
    xcb_flush(connection_.get());
    drainedProperty_ = property;
    drainDeadline_ = std::chrono::steady_clock::now() + kDrainTime;
  }

  // Before the owner is asked again, within the read's own time.
  void FinishDrain() {
    while (Draining()) {
      const Reply<xcb_generic_event_t> event =
          WaitFor([&](const xcb_generic_event_t& e) { return IsNewPiece(e, drainedProperty_); });
      if (!event) throw OwnerTooSlow();
      DropPiece(*event);
    }
  }

  // Only the piece's size is asked, to see the empty last one: its bytes stay
  // in the X server until deleting them asks for the next piece.
  void DropPiece(const xcb_generic_event_t& event) {
    if (IsOwnerGone(event)) drainedProperty_ = XCB_NONE;
    if (!Draining() || !IsNewPiece(event, drainedProperty_)) return;
    xcb_connection_t* c = connection_.get();
    const xcb_get_property_cookie_t size =
        xcb_get_property(c, 0, window_, drainedProperty_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
    xcb_delete_property(c, window_, drainedProperty_);
    xcb_flush(c);
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, size, nullptr));
    if (!reply || reply->bytes_after == 0) drainedProperty_ = XCB_NONE;  // the empty last piece
  }

  void WaitForPiece(xcb_atom_t property) {
    const Reply<xcb_generic_event_t> event =
        WaitFor([&](const xcb_generic_event_t& e) { return IsNewPiece(e, property); });
    if (!event) throw OwnerTooSlow();
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
      throw WindowSystemError("ConvertSelection", "the clipboard's owner stopped sending in the middle of the text");
    }
  }

  // The property's type, format and whole size, none of its bytes; it stays.
  PropertyValue Peek(xcb_atom_t property) {
    const std::uint8_t keep = 0;
    return Received(xcb_get_property(connection_.get(), keep, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
  }

  // At most maxBytes of the property (rounded up to whole 32-bit units),
  // deleting it when that was all of it.
  PropertyValue Take(xcb_atom_t property, std::size_t maxBytes) {
    const std::size_t units = maxBytes / 4 + (maxBytes % 4 != 0 ? 1 : 0);
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(units, UINT32_MAX));
    const std::uint8_t deleteWhenWhole = 1;
    return Received(
        xcb_get_property(connection_.get(), deleteWhenWhole, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, length));
  }

  PropertyValue Received(xcb_get_property_cookie_t cookie) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_.get(), cookie, nullptr));
    if (!reply) throw WindowSystemError("GetProperty", "the X server did not return the clipboard's data");
    const auto received = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    return {reply->type, reply->format, received + reply->bytes_after,
            std::string(static_cast<const char*>(xcb_get_property_value(reply.get())), received)};
  }

  // A new value of the property: the next piece of an incremental transfer.
  [[nodiscard]] bool IsNewPiece(const xcb_generic_event_t& e, xcb_atom_t property) const {
    if ((e.response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
    const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(e);
    return change.window == window_ && change.atom == property && change.state == XCB_PROPERTY_NEW_VALUE;
  }

  [[nodiscard]] bool IsOwnerGone(const xcb_generic_event_t& e) const {
    return (e.response_type & 0x7F) == XCB_DESTROY_NOTIFY &&
           reinterpret_cast<const xcb_destroy_notify_event_t&>(e).window == owner_;
  }

  ClipboardTextEncoding EncodingOf(xcb_atom_t type, ClipboardTextEncoding asked) {
    xcb_connection_t* c = connection_.get();
    const Reply<xcb_get_atom_name_reply_t> name(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, type), nullptr));
    return TextEncodingOf(NameIn(name.get())).value_or(asked);
  }

  // The first event that matches, or the owner's window going away; null
  // once the read's time is up.
  template <typename Match>
  Reply<xcb_generic_event_t> WaitFor(Match matches) {
    xcb_connection_t* c = connection_.get();
    while (true) {
      while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
        if (matches(*event) || IsOwnerGone(*event)) return event;
      }
      if (xcb_connection_has_error(c) != 0) {
        throw WindowSystemError("xcb_poll_for_event", "the connection to the X server broke");
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
      if (left.count() <= 0) return nullptr;
      pollfd watched{xcb_get_file_descriptor(c), POLLIN, 0};
      poll(&watched, 1, static_cast<int>(left.count()));
    }
  }

  // Closed on every path, the window with it.
  Connection connection_;
  std::chrono::steady_clock::time_point deadline_;
  xcb_window_t window_ = XCB_NONE;
  xcb_window_t owner_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_NONE;
  xcb_atom_t targets_ = XCB_NONE;
  xcb_atom_t incr_ = XCB_NONE;
  bool targetsAsked_ = false;
  std::vector<xcb_atom_t> offeredAtoms_;
  std::vector<std::string> offeredNames_;
  // The property of a refused transfer whose rest is being dropped.
  xcb_atom_t drainedProperty_ = XCB_NONE;
  std::chrono::steady_clock::time_point drainDeadline_;
};

class EmptyClipboardOwner::Session {
 public:
  Session() : connection_(Connect()) {
    xcb_connection_t* c = connection_.get();
    window_ = CreatePropertyWindow(c);
    clipboard_ = InternAtom(c, "CLIPBOARD");
    targets_ = InternAtom(c, "TARGETS");
    timestamp_ = InternAtom(c, "TIMESTAMP");
    marker_ = InternAtom(c, kEmptyClipboardMarker);
    time_ = ServerTime();
    xcb_set_selection_owner(c, window_, clipboard_, time_);
    if (!Owns()) throw WindowSystemError("SetSelectionOwner", "the X server gave the clipboard to no one");
  }

  bool ServeRequests() {
    xcb_connection_t* c = connection_.get();
    while (const Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      const auto type = event->response_type & 0x7F;
      if (type == XCB_SELECTION_CLEAR) lost_ = true;
      if (type == XCB_SELECTION_REQUEST) Answer(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
    }
    xcb_flush(c);
    return !lost_ && xcb_connection_has_error(c) == 0;
  }

  bool Owns() {
    xcb_connection_t* c = connection_.get();
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard_), nullptr));
    return owner && owner->owner == window_;
  }

  [[nodiscard]] int FileDescriptor() const { return xcb_get_file_descriptor(connection_.get()); }

 private:
  // The time of an event that the X server stamps now: a change of one of
  // the window's own properties.
  xcb_timestamp_t ServerTime() {
    xcb_connection_t* c = connection_.get();
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window_, marker_, XCB_ATOM_INTEGER, 32, 0, nullptr);
    xcb_flush(c);
    while (const Reply<xcb_generic_event_t> event{xcb_wait_for_event(c)}) {
      if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
        return reinterpret_cast<const xcb_property_notify_event_t&>(*event).time;
      }
    }
    throw WindowSystemError("ChangeProperty", "the connection to the X server broke");
  }

  // The list of targets and the time of taking the clipboard; a refusal for
  // everything else, the private target and any text among them.
  void Answer(const xcb_selection_request_event_t& request) {
    xcb_connection_t* c = connection_.get();
    // Old clients name no property: the target stands for it.
    xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    if (request.selection != clipboard_ || request.owner != window_) {
      property = XCB_NONE;
    } else if (request.target == targets_) {
      const std::array<xcb_atom_t, 3> offered{targets_, timestamp_, marker_};
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32, offered.size(),
                          offered.data());
    } else if (request.target == timestamp_) {
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1, &time_);
    } else {
      property = XCB_NONE;
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
  }

  // Closed when the owner ends: the X server then leaves no owner.
  Connection connection_;
  xcb_window_t window_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_NONE;
  xcb_atom_t targets_ = XCB_NONE;
  xcb_atom_t timestamp_ = XCB_NONE;
  xcb_atom_t marker_ = XCB_NONE;
  xcb_timestamp_t time_ = XCB_CURRENT_TIME;
  bool lost_ = false;
};

EmptyClipboardOwner::EmptyClipboardOwner() : session_(std::make_unique<Session>()) {}
EmptyClipboardOwner::~EmptyClipboardOwner() = default;

bool EmptyClipboardOwner::ServeRequests() {
  try {
    return session_->ServeRequests();
  } catch (...) {  // nothing may cross Qt's event loop: the owner just ends
    return false;
  }
}

bool EmptyClipboardOwner::Owns() {
  // Requests that came during the round trip wait in xcb's queue, where no
  // socket signals them.
  const bool owns = session_->Owns();
  return ServeRequests() && owns;
}

int EmptyClipboardOwner::FileDescriptor() const { return session_->FileDescriptor(); }

ClipboardRead::ClipboardRead() : session_(std::make_unique<Session>()) {}
ClipboardRead::~ClipboardRead() = default;

bool ClipboardRead::HasText() { return !TextTargetsToAsk(session_->OfferedTargets()).empty(); }

ClipboardText ClipboardRead::Text(std::size_t maxLength) { return session_->Text(maxLength); }

bool ClipboardRead::Draining() const { return session_->Draining(); }

std::chrono::milliseconds ClipboardRead::DrainTimeLeft() const { return session_->DrainTimeLeft(); }

int ClipboardRead::FileDescriptor() const { return session_->FileDescriptor(); }

bool ClipboardRead::DrainPieces() {
  try {
    return session_->DrainPieces();
  } catch (...) {  // nothing may cross Qt's event loop: the drain just ends
    return false;
  }
}

}  // namespace vornic::x11
