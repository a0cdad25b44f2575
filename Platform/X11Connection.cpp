#include "Platform/X11Connection.hpp"

namespace corvane {

X11Connection::X11Connection(const char* display) : connection_(xcb_connect(display, &screen_))
{
    if (xcb_connection_has_error(connection_))
        return;
    atoms_ = xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection_, &ewmh_), nullptr) == 1;
    // The screen number comes from the display name and need not exist on the server.
    ready_ = atoms_ && screen_ >= 0 && screen_ < ewmh_.nb_screens;
}

X11Connection::~X11Connection()
{
    // A failed initialisation has already released its own memory.
    if (atoms_)
        xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(connection_);
}

} // namespace corvane
