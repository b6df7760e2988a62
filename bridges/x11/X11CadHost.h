// The windows of a CAD host on an X11 desktop.
//
// Top-level windows are the window manager's client list (the root window's _NET_CLIENT_LIST, in
// its order, oldest first). Without a window manager that keeps one they are the root window's
// children that carry a WM_CLASS, bottom of the stack first. A window's title is its
// _NET_WM_NAME, or its WM_NAME when it has none; its class is the class part (the second string)
// of WM_CLASS; its process id is _NET_WM_PID, 0 when absent.
//
// Activating asks the window manager through a _NET_ACTIVE_WINDOW message to the root window;
// without a window manager that supports it, the window is raised and given the input focus.
//
// Handing a record to the host is our own protocol, since X11 has no message that carries data:
//  1. The record's bytes (see TransferRecord: data kind and byte count as little-endian 32-bit
//     values, then the UTF-16LE text and its terminating zero) are stored in the property
//     "_ORVANTA_COPYDATA" of the host's window, type "_ORVANTA_COPYDATA", format 8, replacing
//     what was there.
//  2. A ClientMessage of type "_ORVANTA_COPYDATA", format 32, is sent to the same window with
//     l[0] = the property's atom, l[1] = the data kind, l[2] = the byte count and l[3] = 0 (no
//     sender window). It wakes the host's event loop; the host reads the property, deleting it.
#pragma once

#include "bridges/CadHost.h"

#include <memory>
#include <string>

namespace orvanta {

// The property and the message type of the transfer.
inline constexpr const char* CopyDataAtomName = "_ORVANTA_COPYDATA";

class X11CadHostWindows : public CadHostWindows {
  public:
    // `display` names the X display; empty means the one $DISPLAY names. The connection is
    // opened at the first use; without a display there are no windows.
    explicit X11CadHostWindows(std::string display = {});
    ~X11CadHostWindows() override;
    X11CadHostWindows(const X11CadHostWindows&) = delete;
    X11CadHostWindows& operator=(const X11CadHostWindows&) = delete;

    std::vector<TopLevelWindow> topLevelWindows() override;
    bool isValid(std::uint64_t window) override;
    void activate(std::uint64_t window) override;
    void deliver(std::uint64_t window, const TransferRecord& record) override;

  private:
    struct Connection;
    Connection* connection();

    std::string displayName_;
    std::unique_ptr<Connection> connection_;
    bool triedToConnect_ = false;
};

} // namespace orvanta
