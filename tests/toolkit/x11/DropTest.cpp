// SPDX-License-Identifier: MIT
// XDND drops onto a frame window: a source client on its own connection and thread drags a
// text, and then a list of files, onto the frame; the view under the pointer gets enter, move
// and drop with the items and types the Windows back end gives for the same drags (and the
// leave the view tree sends after every drop).
#include <gtest/gtest.h>

#include "toolkit/CDragContainer.h"
#include "toolkit/CFrame.h"
#include "toolkit/CView.h"
#include "toolkit/platform/x11_cairo/X11Backend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// Xlib's macros (None, Bool, Status) come after everything that might use those names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace VSTGUI;

namespace {

std::string nameOf(Display* d, Atom value) {
    char* name = XGetAtomName(d, value);
    std::string out = name ? name : "";
    if (name) XFree(name);
    return out;
}

struct Item {
    std::string data;
    std::int32_t type;
};

struct DragRecord {
    std::vector<std::string> calls;
    std::vector<Item> dropped;
    std::int32_t countAtEnter = -1;
};

class DropView : public CView {
public:
    explicit DropView(const CCoordRect& size) : CView(size) {}
    void onDragEnter(CDragContainer* drag, const CCoordPoint& /*where*/) override {
        record.calls.push_back("enter");
        record.countAtEnter = drag->getCount();
    }
    void onDragMove(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) override {
        record.calls.push_back("move");
    }
    void onDragLeave(CDragContainer* /*drag*/, const CCoordPoint& /*where*/) override {
        record.calls.push_back("leave");
    }
    bool onDrop(CDragContainer* drag, const CCoordPoint& /*where*/) override {
        record.calls.push_back("drop");
        std::int32_t size = 0;
        std::int32_t type = 0;
        for (const char* item = drag->first(size, type); item; item = drag->next(size, type))
            record.dropped.push_back({std::string(item, static_cast<std::size_t>(size)), type});
        return true;
    }
    DragRecord record;
};

// The dragging application: offers `types` (the first one's data is `data`, every other
// offered type gets `other`), sends enter, one position and the drop, answers the frame's
// data requests, and waits for the frame's finish. Data longer than `piece` bytes (when not 0)
// is sent incrementally (INCR), `piece` bytes at a time, as owners do for data larger than
// their largest request; with `stall` the owner announces such a transfer and sends nothing.
// The messages name `named` (by default the target), as they do when the target is the proxy
// of the window the source drags over.
class SourceClient {
public:
    SourceClient(Window target, std::vector<std::string> types, std::string data, std::string other,
                 std::size_t piece = 0, bool stall = false, Window named = 0)
        : m_target(target), m_named(named ? named : target), m_types(std::move(types)),
          m_data(std::move(data)), m_other(std::move(other)), m_piece(piece), m_stall(stall) {
        m_thread = std::thread([this] { run(); });
    }
    ~SourceClient() { m_thread.join(); }
    std::atomic<bool> done{false};
    std::atomic<bool> finished{false};
    std::atomic<long> statusAccepted{-1};
    std::atomic<int> pieces{0};               // INCR pieces sent, the closing empty one included
    std::atomic<unsigned long> statusFrom{0}; // the target window named in XdndStatus

private:
    struct Transfer {
        Window requestor = 0;
        Atom property = 0;
        Atom type = 0;
        const std::string* bytes = nullptr;
        std::size_t sent = 0;
        bool active = false;
    };

    void run() {
        Display* d = XOpenDisplay(nullptr);
        if (!d) {
            done = true;
            return;
        }
        const Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(d, source, PropertyChangeMask);
        std::vector<Atom> types;
        for (const std::string& name : m_types)
            types.push_back(XInternAtom(d, name.c_str(), False));
        XChangeProperty(d, source, XInternAtom(d, "XdndTypeList", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(types.data()),
                        static_cast<int>(types.size()));
        XSetSelectionOwner(d, XInternAtom(d, "XdndSelection", False), source, CurrentTime);
        Transfer transfer;
        const auto send = [&](const char* kind, long l1, long l2, long l3, long l4) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = m_named;
            e.xclient.message_type = XInternAtom(d, kind, False);
            e.xclient.format = 32;
            e.xclient.data.l[0] = static_cast<long>(source);
            e.xclient.data.l[1] = l1;
            e.xclient.data.l[2] = l2;
            e.xclient.data.l[3] = l3;
            e.xclient.data.l[4] = l4;
            XSendEvent(d, m_target, False, NoEventMask, &e);
        };
        long enterFlags = 5L << 24;
        long t[3] = {0, 0, 0};
        if (types.size() > 3)
            enterFlags |= 1;
        else
            for (std::size_t i = 0; i < types.size(); ++i)
                t[i] = static_cast<long>(types[i]);
        send("XdndEnter", enterFlags, t[0], t[1], t[2]);
        send("XdndPosition", 0, (110L << 16) | 120L, CurrentTime,
             static_cast<long>(XInternAtom(d, "XdndActionCopy", False)));
        send("XdndDrop", 0, CurrentTime, 0, 0);
        XFlush(d);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!finished && std::chrono::steady_clock::now() < deadline) {
            if (XPending(d) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == SelectionRequest) {
                const XSelectionRequestEvent& r = e.xselectionrequest;
                const std::string wanted = nameOf(d, r.target);
                const std::string& bytes = wanted == m_types.front() ? m_data : m_other;
                if (m_piece != 0 && bytes.size() > m_piece) {
                    // Announce the size; the requestor's deletions ask for the pieces.
                    XSelectInput(d, r.requestor, PropertyChangeMask);
                    const long size = static_cast<long>(bytes.size());
                    XChangeProperty(d, r.requestor, r.property, XInternAtom(d, "INCR", False), 32,
                                    PropModeReplace, reinterpret_cast<const unsigned char*>(&size),
                                    1);
                    transfer = Transfer{r.requestor, r.property, r.target, &bytes, 0, true};
                } else {
                    XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(bytes.data()),
                                    static_cast<int>(bytes.size()));
                }
                XEvent reply{};
                reply.xselection.type = SelectionNotify;
                reply.xselection.requestor = r.requestor;
                reply.xselection.selection = r.selection;
                reply.xselection.target = r.target;
                reply.xselection.property = r.property;
                reply.xselection.time = r.time;
                XSendEvent(d, r.requestor, False, NoEventMask, &reply);
                XFlush(d);
            } else if (e.type == PropertyNotify && transfer.active && !m_stall &&
                       e.xproperty.window == transfer.requestor &&
                       e.xproperty.atom == transfer.property &&
                       e.xproperty.state == PropertyDelete) {
                // The next piece, or the empty one that ends the data.
                const std::size_t length =
                    std::min(m_piece, transfer.bytes->size() - transfer.sent);
                XChangeProperty(
                    d, transfer.requestor, transfer.property, transfer.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(transfer.bytes->data() + transfer.sent),
                    static_cast<int>(length));
                XFlush(d);
                transfer.sent += length;
                ++pieces;
                if (length == 0) transfer.active = false;
            } else if (e.type == ClientMessage) {
                const std::string kind = nameOf(d, e.xclient.message_type);
                if (kind == "XdndStatus") {
                    statusAccepted = e.xclient.data.l[1] & 1;
                    statusFrom = static_cast<unsigned long>(e.xclient.data.l[0]);
                }
                if (kind == "XdndFinished") finished = true;
            }
        }
        XDestroyWindow(d, source);
        XCloseDisplay(d);
        done = true;
    }

    Window m_target;
    Window m_named;
    std::vector<std::string> m_types;
    std::string m_data;
    std::string m_other;
    std::size_t m_piece;
    bool m_stall;
    std::thread m_thread;
};

class XdndTest : public testing::Test {
protected:
    void SetUp() override {
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "no X display (run under tools/with-xvfb.sh)";
        m_parent =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 10, 20, 400, 300, 0, 0, 0);
        XMapWindow(m_display, m_parent);
        // The pointer over the view, as it is during a real drag.
        XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 110, 120);
        XSync(m_display, False);
        const CCoordRect area(0, 0, 400, 300);
        m_frame = new CFrame(area, parentHandle(), nullptr);
        m_view = new DropView(CCoordRect(50, 50, 250, 250));
        m_frame->addView(m_view);
        x11::processEvents();
    }
    void TearDown() override {
        if (m_frame) m_frame->release();
        if (!m_display) return;
        XDestroyWindow(m_display, m_parent);
        XCloseDisplay(m_display);
    }
    platform::WindowHandle parentHandle() const {
        return reinterpret_cast<platform::WindowHandle>(static_cast<std::uintptr_t>(m_parent));
    }
    Window frameWindow() const {
        return static_cast<Window>(reinterpret_cast<std::uintptr_t>(m_frame->getWindow()));
    }
    void pumpUntil(const SourceClient& client) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!client.done && std::chrono::steady_clock::now() < deadline) {
            x11::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    Display* m_display = nullptr;
    Window m_parent = 0;
    CFrame* m_frame = nullptr;
    DropView* m_view = nullptr;
};

TEST_F(XdndTest, TheFrameWindowAnnouncesVersionFive) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(m_display, frameWindow(),
                                 XInternAtom(m_display, "XdndAware", False), 0, 1, False, XA_ATOM,
                                 &type, &format, &count, &remaining, &data),
              Success);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(*reinterpret_cast<const unsigned long*>(data), 5u);
    XFree(data);
}

TEST_F(XdndTest, ATextDropArrivesAsOneTextItem) {
    {
        SourceClient client(frameWindow(), {"UTF8_STRING"}, "Gain \xC3\xBC 3 dB", "");
        pumpUntil(client);
        EXPECT_TRUE(client.finished);
        EXPECT_EQ(client.statusAccepted, 1);
        EXPECT_EQ(client.statusFrom, frameWindow());
    }
    EXPECT_EQ(m_view->record.calls, (std::vector<std::string>{"enter", "move", "drop", "leave"}));
    EXPECT_EQ(m_view->record.countAtEnter, 1);
    ASSERT_EQ(m_view->record.dropped.size(), 1u);
    EXPECT_EQ(m_view->record.dropped[0].data, "Gain \xC3\xBC 3 dB");
    EXPECT_EQ(m_view->record.dropped[0].type, CDragContainer::kUnicodeText);
}

TEST_F(XdndTest, AUriListDropArrivesAsFilesWithDecodedPathsAndOtherSchemesSkipped) {
    {
        // Four types: the list goes through XdndTypeList. Text is offered too, as file
        // managers do; the drag still counts as a file drag.
        SourceClient client(frameWindow(), {"text/uri-list", "UTF8_STRING", "text/plain", "TEXT"},
                            "# a comment\r\nfile:///tmp/a%20b.wav\r\nhttp://example.org/x.wav\r\n"
                            "file://localhost/home/u/%C3%BC.wav\r\nfile:///data/c.wav\r\n",
                            "not the list");
        pumpUntil(client);
        EXPECT_TRUE(client.finished);
    }
    EXPECT_EQ(m_view->record.calls, (std::vector<std::string>{"enter", "move", "drop", "leave"}));
    EXPECT_EQ(m_view->record.countAtEnter, 3);
    ASSERT_EQ(m_view->record.dropped.size(), 3u);
    EXPECT_EQ(m_view->record.dropped[0].data, "/tmp/a b.wav");
    EXPECT_EQ(m_view->record.dropped[1].data, "/home/u/\xC3\xBC.wav");
    EXPECT_EQ(m_view->record.dropped[2].data, "/data/c.wav");
    for (const Item& item : m_view->record.dropped)
        EXPECT_EQ(item.type, CDragContainer::kFile);
}

TEST_F(XdndTest, ALargeUriListSentInPiecesArrivesWhole) {
    // 2,000 files of some 40 bytes each: about 80 KB, sent in pieces of 4 KB.
    std::string list;
    for (int i = 0; i < 2000; ++i)
        list += "file:///data/session/take%20" + std::to_string(10000 + i) + ".wav\r\n";
    int pieces = 0;
    {
        SourceClient client(frameWindow(), {"text/uri-list", "UTF8_STRING"}, list, "not the list",
                            4096);
        pumpUntil(client);
        EXPECT_TRUE(client.finished);
        pieces = client.pieces;
    }
    EXPECT_EQ(pieces, static_cast<int>((list.size() + 4095) / 4096) + 1);
    EXPECT_EQ(m_view->record.calls, (std::vector<std::string>{"enter", "move", "drop", "leave"}));
    EXPECT_EQ(m_view->record.countAtEnter, 2000);
    ASSERT_EQ(m_view->record.dropped.size(), 2000u);
    EXPECT_EQ(m_view->record.dropped.front().data, "/data/session/take 10000.wav");
    EXPECT_EQ(m_view->record.dropped[1234].data, "/data/session/take 11234.wav");
    EXPECT_EQ(m_view->record.dropped.back().data, "/data/session/take 11999.wav");
}

// An owner that announces its data in pieces and then sends none: the frame gives up after
// half a second, the drop carries no file and the source still hears that the drop is done.
TEST_F(XdndTest, AnOwnerThatStallsGivesADropWithoutFiles) {
    const std::string list(10000, 'x');
    const auto start = std::chrono::steady_clock::now();
    {
        SourceClient client(frameWindow(), {"text/uri-list"}, list, "", 4096, true);
        pumpUntil(client);
        EXPECT_TRUE(client.finished);
        EXPECT_EQ(client.pieces, 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4))
        << "the frame waited for the stalled owner";
    EXPECT_EQ(m_view->record.countAtEnter, 0);
    EXPECT_TRUE(m_view->record.dropped.empty());
}

// A host may name the frame as the XdndProxy of its own window: a source dragging over the
// host's window then sends its messages to the frame, naming the host's window in them, and
// expects the replies to name that window too.
TEST_F(XdndTest, AFrameNamedAsAnotherWindowsProxyTakesItsDrops) {
    const Window frame = frameWindow();
    XChangeProperty(m_display, m_parent, XInternAtom(m_display, "XdndProxy", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&frame), 1);
    XSync(m_display, False);
    {
        SourceClient client(frame, {"UTF8_STRING"}, "through the proxy", "", 0, false, m_parent);
        pumpUntil(client);
        EXPECT_TRUE(client.finished);
        EXPECT_EQ(client.statusAccepted, 1);
        EXPECT_EQ(client.statusFrom, m_parent);
    }
    EXPECT_EQ(m_view->record.calls, (std::vector<std::string>{"enter", "move", "drop", "leave"}));
    ASSERT_EQ(m_view->record.dropped.size(), 1u);
    EXPECT_EQ(m_view->record.dropped[0].data, "through the proxy");
}

TEST(UriListTest, OnlyLocalFileUrisWithWellFormedEscapesBecomePaths) {
    EXPECT_EQ(x11::pathsOfUriList("file:///a\nfile://otherhost/b\nfile:///c%2\nfile:///d%00e\n"
                                  "ftp:///f\nfile:///g%41"),
              (std::vector<std::string>{"/a", "/gA"}));
    EXPECT_TRUE(x11::pathsOfUriList("").empty());
}

} // namespace
