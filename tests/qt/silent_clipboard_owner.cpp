// A program that takes the CLIPBOARD selection and never answers a request
// for it, as a hung program would. Prints "ready" once it owns the clipboard,
// then runs until its standard input is closed.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

}  // namespace

int main() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    std::fputs("cannot connect to the X server\n", stderr);
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t window = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    screen->root_visual, 0, nullptr);
  const xcb_atom_t clipboard = InternAtom(connection, "CLIPBOARD");
  xcb_set_selection_owner(connection, window, clipboard, XCB_CURRENT_TIME);
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
  const bool owns = owner != nullptr && owner->owner == window;
  std::free(owner);
  if (!owns) {
    std::fputs("cannot own the clipboard\n", stderr);
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);

  // Requests arrive and are dropped unanswered.
  pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  while (poll(watched, 2, -1) >= 0) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) std::free(event);
    if (xcb_connection_has_error(connection) != 0) break;
    if ((watched[1].revents & (POLLIN | POLLHUP)) != 0) {
      char buffer[64];
      if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) break;
    }
  }
  xcb_disconnect(connection);
  return 0;
}
