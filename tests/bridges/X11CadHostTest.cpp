// The CAD host bridge against a real X server: a private Xvfb, stand-in host windows made by the
// test, and the record they receive read back byte for byte.
#include "bridges/x11/X11CadHost.h"

#include "support/PrivateXServer.h"

#include <gtest/gtest.h>

// After GoogleTest, whose own names Xlib's macros (None, Bool) would otherwise replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>

namespace orvanta {
namespace {

using test::PrivateXServer;

const std::string AfxClass = "Afx:00400000:8:00010003:00000000:003B05C1";

// A client of the server that plays the CAD hosts (and, when asked, the window manager).
struct StandIn {
    Display* display;
    Atom copyData, utf8, netName;

    explicit StandIn(const std::string& name) : display(XOpenDisplay(name.c_str())) {
        copyData = XInternAtom(display, "_ORVANTA_COPYDATA", False);
        utf8 = XInternAtom(display, "UTF8_STRING", False);
        netName = XInternAtom(display, "_NET_WM_NAME", False);
    }
    ~StandIn() { XCloseDisplay(display); }

    Window window(const std::string& utf8Title, const std::string& className) {
        const Window w =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 80, 0, 0, 0);
        XChangeProperty(display, w, netName, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8Title.data()),
                        static_cast<int>(utf8Title.size()));
        std::string instance = "acad";
        XClassHint hint{instance.data(), const_cast<char*>(className.c_str())};
        XSetClassHint(display, w, &hint);
        XMapWindow(display, w);
        XSync(display, False);
        return w;
    }

    void setRootList(const char* property, Atom type, const std::vector<unsigned long>& items) {
        XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, property, False),
                        type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(items.data()),
                        static_cast<int>(items.size()));
        XSync(display, False);
    }

    // The next client message of `type` within two seconds, if one comes.
    std::optional<XClientMessageEvent> message(Atom type) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == ClientMessage && event.xclient.message_type == type)
                    return event.xclient;
            }
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            ::poll(&p, 1, 50);
        }
        return std::nullopt;
    }

    // The record stored on `w`, removed as a host removes it after reading.
    std::vector<std::uint8_t> takeRecord(Window w) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<std::uint8_t> bytes;
        if (XGetWindowProperty(display, w, copyData, 0, 4096, True, copyData, &type, &format,
                               &count, &after, &data) == Success &&
            data && format == 8)
            bytes.assign(data, data + count);
        if (data) XFree(data);
        return bytes;
    }
};

// The bytes a host must receive for inserting `path`, spelt out: kind 1, the byte count, then
// the command in UTF-16LE and a zero unit.
std::vector<std::uint8_t> ExpectedRecord(const std::u16string& command) {
    const std::uint32_t count = static_cast<std::uint32_t>(2 * (command.size() + 1));
    std::vector<std::uint8_t> bytes = {1, 0, 0, 0, std::uint8_t(count), std::uint8_t(count >> 8),
                                       0, 0};
    for (char16_t unit : command) {
        bytes.push_back(std::uint8_t(unit & 0xFF));
        bytes.push_back(std::uint8_t(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

struct X11CadHostTest : ::testing::Test {
    PrivateXServer server;
    void SetUp() override {
        if (server.missing()) GTEST_SKIP() << "no Xvfb here (apt-get install xvfb)";
        ASSERT_FALSE(server.name().empty()) << "Xvfb did not start";
    }
};

TEST_F(X11CadHostTest, WithoutAWindowManagerTheMatchingWindowGetsTheRecord) {
    StandIn hosts(server.name());
    const Window bare = hosts.window("AutoCAD", AfxClass);
    const Window other = hosts.window("AutoCAD 2017 - [a.dwg]", "XTerm");
    const Window host = hosts.window("AutoCAD 2017 - [図面.dwg]", AfxClass);
    XSelectInput(hosts.display, host, PropertyChangeMask);

    X11CadHostWindows windows(server.name());
    const auto listed = windows.topLevelWindows();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].title, "AutoCAD 2017 - [図面.dwg]");
    EXPECT_EQ(listed[2].className, AfxClass);

    CadHost bridge(windows);
    EXPECT_EQ(bridge.InsertAsBlock("/home/木村/plan 1.dwg"), CadHost::Insertion::Sent);
    EXPECT_EQ(bridge.hostWindow(), host);

    const auto message = hosts.message(hosts.copyData);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->window, host);
    EXPECT_EQ(static_cast<Atom>(message->data.l[0]), hosts.copyData);
    EXPECT_EQ(message->data.l[1], 1);
    const auto expected = ExpectedRecord(u"\x03-INSERT /home/木村/plan 1.dwg\rS 1 R 0 ");
    EXPECT_EQ(message->data.l[2], static_cast<long>(expected.size() - 8));
    EXPECT_EQ(hosts.takeRecord(host), expected);
    EXPECT_TRUE(hosts.takeRecord(bare).empty());
    EXPECT_TRUE(hosts.takeRecord(other).empty());

    // Raised and focused, there being no window manager to ask.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(hosts.display, &focus, &revert);
    EXPECT_EQ(focus, host);
}

TEST_F(X11CadHostTest, TheFirstHostOfTheClientListWinsAndTheManagerActivatesIt) {
    StandIn hosts(server.name());
    const Window older = hosts.window("AutoCAD LT 2016 - [b.dwg]", "AfxMDIFrame140u");
    const Window newer = hosts.window("DWG TrueView 2018 - [c.dwg]", AfxClass);
    // The stand-in window manager lists the newer one first and answers activation requests.
    StandIn manager(server.name());
    XSelectInput(manager.display, DefaultRootWindow(manager.display),
                 SubstructureRedirectMask | SubstructureNotifyMask);
    manager.setRootList("_NET_CLIENT_LIST", XA_WINDOW, {newer, older});
    manager.setRootList("_NET_SUPPORTED", XA_ATOM,
                        {XInternAtom(manager.display, "_NET_ACTIVE_WINDOW", False)});

    X11CadHostWindows windows(server.name());
    CadHost bridge(windows);
    EXPECT_EQ(bridge.InsertAsBlock("/d/x.dwg"), CadHost::Insertion::Sent);

    const auto activation =
        manager.message(XInternAtom(manager.display, "_NET_ACTIVE_WINDOW", False));
    ASSERT_TRUE(activation);
    EXPECT_EQ(activation->window, newer);
    ASSERT_TRUE(hosts.message(hosts.copyData));
    EXPECT_EQ(hosts.takeRecord(newer), ExpectedRecord(u"\x03-INSERT /d/x.dwg\rS 1 R 0 "));
    EXPECT_TRUE(hosts.takeRecord(older).empty());

    // The host went away: nothing is sent and nothing fails.
    XDestroyWindow(hosts.display, newer);
    XDestroyWindow(hosts.display, older);
    XSync(hosts.display, False);
    EXPECT_EQ(bridge.InsertAsBlock("/d/x.dwg"), CadHost::Insertion::NoHost);
}

TEST(X11CadHost, WithoutADisplayThereIsNoHost) {
    X11CadHostWindows windows("not-a-display:99");
    CadHost bridge(windows);
    EXPECT_EQ(bridge.InsertAsBlock("/d/x.dwg"), CadHost::Insertion::NoHost);
}

} // namespace
} // namespace orvanta
