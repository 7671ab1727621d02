// Puts data on the X11 clipboard the way other programs do, for the tests.
//
//   clipboard_producer [--silent | --incr | --incr-no-size | --slow MS | --die-mid-incr | --one-at-a-time]
//                      [--refuse TARGET]... [--format-16 TARGET]... [--end-type TYPE]
//                      TARGET[:TYPE]=SIZE ...
//
// Offers exactly the TARGETs named (and TARGETS, the list), each answered
// with the next SIZE bytes of its input as property type TYPE (default: TARGET).
// --silent never answers a request, as a hung program; --incr sends every
// target's data in pieces (INCR); --incr-no-size announces them with size 0,
// as Alacritty does; --slow waits MS before each piece; --die-mid-incr ends
// the program after the first piece; --one-at-a-time sends in pieces and
// drops every request while a transfer is unfinished, as xclip does.
// --refuse answers None for that listed target; --format-16 sends that
// target's bytes (or pieces) as 16-bit items, as no text is sent; --end-type
// gives the empty piece that ends an incremental transfer that type (any type
// may stand there). Prints "ready" once it owns the clipboard, and runs until
// it loses the clipboard or its standard input is closed.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

enum class Mode : std::uint8_t { Answer, Silent, Incremental, DieMidTransfer, OneAtATime };

struct Offer {
  xcb_atom_t type;
  std::string bytes;
};

struct Transfer {
  const Offer* offer;
  std::size_t sent;
  int format;
};

xcb_connection_t* connection = nullptr;

xcb_atom_t Atom(std::string_view name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

void SetProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, int format, const void* data,
                 std::size_t items) {
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, static_cast<std::uint8_t>(format),
                      static_cast<std::uint32_t>(items), data);
}

[[noreturn]] void Fail(const char* message) {
  std::fprintf(stderr, "clipboard_producer: %s\n", message);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) Fail("cannot connect to the X server");
  Mode mode = Mode::Answer;
  bool announceSize = true;
  int pieceDelayMs = 0;
  std::set<xcb_atom_t> refused;
  std::set<xcb_atom_t> sixteenBit;
  xcb_atom_t endType = XCB_NONE;
  std::map<xcb_atom_t, Offer> offers;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--silent") {
      mode = Mode::Silent;
    } else if (argument == "--incr" || argument == "--incr-no-size") {
      mode = Mode::Incremental;
      announceSize = argument == "--incr";
    } else if (argument == "--slow" && i + 1 < argc) {
      mode = Mode::Incremental;
      pieceDelayMs = std::atoi(argv[++i]);
    } else if (argument == "--refuse" && i + 1 < argc) {
      refused.insert(Atom(argv[++i]));
    } else if (argument == "--format-16" && i + 1 < argc) {
      sixteenBit.insert(Atom(argv[++i]));
    } else if (argument == "--end-type" && i + 1 < argc) {
      endType = Atom(argv[++i]);
    } else if (argument == "--die-mid-incr") {
      mode = Mode::DieMidTransfer;
    } else if (argument == "--one-at-a-time") {
      mode = Mode::OneAtATime;
    } else {
      const auto equals = argument.rfind('=');  // a target may hold one: charset=...
      if (equals == std::string_view::npos) Fail("expected TARGET[:TYPE]=SIZE");
      const std::string_view names = argument.substr(0, equals);
      const auto colon = names.find(':');
      std::string bytes(std::strtoul(argv[i] + equals + 1, nullptr, 10), '\0');
      if (std::fread(bytes.data(), 1, bytes.size(), stdin) != bytes.size()) Fail("the input ended early");
      offers[Atom(names.substr(0, colon))] = {Atom(colon == std::string_view::npos ? names : names.substr(colon + 1)),
                                              std::move(bytes)};
    }
  }

  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    screen->root_visual, 0, nullptr);
  const xcb_atom_t clipboard = Atom("CLIPBOARD");
  const xcb_atom_t targets = Atom("TARGETS");
  const xcb_atom_t incr = Atom("INCR");
  xcb_set_selection_owner(connection, window, clipboard, XCB_CURRENT_TIME);
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
  if (owner == nullptr || owner->owner != window) Fail("cannot own the clipboard");
  std::free(owner);
  std::puts("ready");
  std::fflush(stdout);

  std::map<std::pair<xcb_window_t, xcb_atom_t>, Transfer> transfers;
  pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  while (poll(watched, 2, -1) >= 0) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      const auto kind = event->response_type & 0x7F;
      if (kind == XCB_SELECTION_CLEAR) {
        std::free(event);
        return 0;  // another program took the clipboard
      }
      const bool busy = mode == Mode::OneAtATime && !transfers.empty();
      if (kind == XCB_SELECTION_REQUEST && mode != Mode::Silent && !busy) {
        const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
        xcb_selection_notify_event_t answer{};
        answer.response_type = XCB_SELECTION_NOTIFY;
        answer.time = request.time;
        answer.requestor = request.requestor;
        answer.selection = request.selection;
        answer.target = request.target;
        answer.property = request.property == XCB_NONE ? request.target : request.property;
        const auto offer = offers.find(request.target);
        const int format = sixteenBit.contains(request.target) ? 16 : 8;
        if (request.target == targets) {
          std::vector<xcb_atom_t> list{targets};
          for (const auto& [target, data] : offers) list.push_back(target);
          SetProperty(request.requestor, answer.property, XCB_ATOM_ATOM, 32, list.data(), list.size());
        } else if (offer == offers.end() || refused.contains(request.target)) {
          answer.property = XCB_NONE;
        } else if (mode == Mode::Answer) {
          SetProperty(request.requestor, answer.property, offer->second.type, format, offer->second.bytes.data(),
                      offer->second.bytes.size() * 8 / static_cast<std::size_t>(format));
        } else {
          // Announce the size; each piece follows the requestor's deleting the last.
          const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
          xcb_change_window_attributes(connection, request.requestor, XCB_CW_EVENT_MASK, &events);
          const auto size = static_cast<std::uint32_t>(announceSize ? offer->second.bytes.size() : 0);
          SetProperty(request.requestor, answer.property, incr, 32, &size, 1);
          transfers[{request.requestor, answer.property}] = {&offer->second, 0, format};
        }
        xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<char*>(&answer));
      } else if (kind == XCB_PROPERTY_NOTIFY) {
        const auto& change = *reinterpret_cast<xcb_property_notify_event_t*>(event);
        const auto found = transfers.find({change.window, change.atom});
        if (change.state == XCB_PROPERTY_DELETE && found != transfers.end()) {
          Transfer& transfer = found->second;
          if (mode == Mode::DieMidTransfer && transfer.sent > 0) _exit(0);
          usleep(static_cast<useconds_t>(pieceDelayMs) * 1000);
          const std::string_view rest = std::string_view(transfer.offer->bytes).substr(transfer.sent);
          const std::size_t piece = std::min(rest.size(), kPieceSize);
          const xcb_atom_t type = piece == 0 && endType != XCB_NONE ? endType : transfer.offer->type;
          SetProperty(change.window, change.atom, type, transfer.format, rest.data(),
                      piece * 8 / static_cast<std::size_t>(transfer.format));
          transfer.sent += piece;
          if (piece == 0) transfers.erase(found);
        }
      }
      std::free(event);
    }
    xcb_flush(connection);
    if (xcb_connection_has_error(connection) != 0) return 1;
    if ((watched[1].revents & (POLLIN | POLLHUP)) != 0) {
      char buffer[64];
      if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) return 0;
    }
  }
  return 0;
}
