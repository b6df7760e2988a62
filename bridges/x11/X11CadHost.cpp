#include "bridges/x11/X11CadHost.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace orvanta {

namespace {

// Windows may vanish between being listed and being asked about; the requests that name them
// then fail with BadWindow. Xlib reports such failures to one process-wide handler, which by
// default ends the program, so a trap collects them while the bridge talks to the server.
int trappedErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++trappedErrors;
    return 0;
}

class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        trappedErrors = 0;
        previous_ = XSetErrorHandler(CountError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    // Whether a request since the trap was set failed; waits for the server's answers.
    bool failed() {
        XSync(display_, False);
        return trappedErrors > 0;
    }

  private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

// A property of 32-bit items (windows, atoms, cardinals). Xlib hands them out as longs.
std::vector<unsigned long> LongProperty(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && actualType == type && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data) XFree(data);
    return items;
}

} // namespace

struct X11CadHostWindows::Connection {
    Display* display = nullptr;
    Atom clientList = None, activeWindow = None, supported = None, wmName = None, utf8String = None,
         wmPid = None, copyData = None;

    explicit Connection(Display* d) : display(d) {
        auto atom = [d](const char* name) { return XInternAtom(d, name, False); };
        clientList = atom("_NET_CLIENT_LIST");
        activeWindow = atom("_NET_ACTIVE_WINDOW");
        supported = atom("_NET_SUPPORTED");
        wmName = atom("_NET_WM_NAME");
        utf8String = atom("UTF8_STRING");
        wmPid = atom("_NET_WM_PID");
        copyData = atom(CopyDataAtomName);
    }
    ~Connection() { XCloseDisplay(display); }

    Window root() const { return DefaultRootWindow(display); }

    std::string title(Window window) const {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string text;
        if (XGetWindowProperty(display, window, wmName, 0, 1024, False, utf8String, &type, &format,
                               &count, &after, &data) == Success &&
            data && type == utf8String && format == 8)
            text.assign(reinterpret_cast<const char*>(data), count);
        if (data) XFree(data);
        if (!text.empty()) return text;
        // WM_NAME may be Latin-1 or compound text; Xlib turns either into UTF-8.
        XTextProperty property{};
        if (XGetWMName(display, window, &property) && property.value) {
            char** list = nullptr;
            int items = 0;
            if (Xutf8TextPropertyToTextList(display, &property, &list, &items) >= Success && list) {
                if (items > 0 && list[0]) text = list[0];
                XFreeStringList(list);
            }
            XFree(property.value);
        }
        return text;
    }

    bool windowManagerActivates() const {
        for (unsigned long atom : LongProperty(display, root(), supported, XA_ATOM))
            if (atom == activeWindow) return true;
        return false;
    }
};

X11CadHostWindows::X11CadHostWindows(std::string display) : displayName_(std::move(display)) {}

X11CadHostWindows::~X11CadHostWindows() = default;

X11CadHostWindows::Connection* X11CadHostWindows::connection() {
    if (!triedToConnect_) {
        triedToConnect_ = true;
        if (Display* d = XOpenDisplay(displayName_.empty() ? nullptr : displayName_.c_str()))
            connection_ = std::make_unique<Connection>(d);
    }
    return connection_.get();
}

std::vector<TopLevelWindow> X11CadHostWindows::topLevelWindows() {
    std::vector<TopLevelWindow> windows;
    Connection* c = connection();
    if (!c) return windows;
    ErrorTrap trap(c->display);

    std::vector<unsigned long> ids = LongProperty(c->display, c->root(), c->clientList, XA_WINDOW);
    const bool managed = !ids.empty();
    if (!managed) {
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(c->display, c->root(), &rootReturn, &parent, &children, &count) &&
            children) {
            ids.assign(children, children + count);
            XFree(children);
        }
    }
    for (const unsigned long id : ids) {
        TopLevelWindow window;
        window.id = id;
        XClassHint hint{};
        if (XGetClassHint(c->display, id, &hint)) {
            if (hint.res_class) window.className = hint.res_class;
            if (hint.res_name) XFree(hint.res_name);
            if (hint.res_class) XFree(hint.res_class);
        } else if (!managed) {
            // Without a window manager's list, the root's children without a class are its
            // own helper windows, not programs' windows.
            continue;
        }
        window.title = c->title(id);
        const auto pid = LongProperty(c->display, id, c->wmPid, XA_CARDINAL);
        if (!pid.empty()) window.processId = static_cast<std::int64_t>(pid[0]);
        windows.push_back(std::move(window));
    }
    return windows;
}

bool X11CadHostWindows::isValid(std::uint64_t window) {
    Connection* c = connection();
    if (!c || !window) return false;
    ErrorTrap trap(c->display);
    XWindowAttributes attributes{};
    return XGetWindowAttributes(c->display, window, &attributes) && !trap.failed();
}

void X11CadHostWindows::activate(std::uint64_t window) {
    Connection* c = connection();
    if (!c) return;
    ErrorTrap trap(c->display);
    if (c->windowManagerActivates()) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = c->activeWindow;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; // the request comes from an application
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(c->display, c->root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    } else {
        XRaiseWindow(c->display, window);
        XSetInputFocus(c->display, window, RevertToParent, CurrentTime);
    }
}

void X11CadHostWindows::deliver(std::uint64_t window, const TransferRecord& record) {
    Connection* c = connection();
    if (!c) return;
    ErrorTrap trap(c->display);
    const std::vector<std::uint8_t> bytes = record.bytes();
    XChangeProperty(c->display, window, c->copyData, c->copyData, 8, PropModeReplace, bytes.data(),
                    static_cast<int>(bytes.size()));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = c->copyData;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(c->copyData);
    event.xclient.data.l[1] = static_cast<long>(record.kind);
    event.xclient.data.l[2] = static_cast<long>(record.byteCount());
    event.xclient.data.l[3] = 0;
    XSendEvent(c->display, window, False, NoEventMask, &event);
}

} // namespace orvanta
