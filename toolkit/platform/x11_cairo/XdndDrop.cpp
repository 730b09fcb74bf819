// SPDX-License-Identifier: MIT
// XDND, version 5: the frame window carries XdndAware; the source's XdndEnter makes a
// `DropSource` for the frame's drop events, each XdndPosition is a drag-over answered with
// XdndStatus, XdndLeave a drag-leave and XdndDrop a drop answered with XdndFinished. The
// dropped data is read from the XdndSelection when the toolkit asks for it: `text/uri-list` as
// files (file:// URIs decoded to paths, other schemes skipped), `UTF8_STRING` or
// `text/plain;charset=utf-8` as one text; data too large for one request comes in pieces (the
// INCR protocol of the selection conventions). A drag that offers a file list is a file drag
// even when it offers text as well (file managers offer both). Messages are taken by the window
// they name; a frame that another window names as its XdndProxy takes the messages for that
// window.
// The drop target lives from registerDropTarget until it is revoked or its window goes.  [ui]
#include "X11Backend.h"
#include "X11FrameWindows.h"
#include "toolkit/TextConversion.h"

#include <X11/Xatom.h>

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace VSTGUI::x11 {

using namespace VSTGUI::platform;

namespace {

constexpr long kXdndVersion = 5;
constexpr int kSelectionTimeoutMilliseconds = 500;
// The most dropped data taken (a list of some 100,000 files).
constexpr long kMaxSelectionBytes = 16L << 20;
constexpr std::size_t kMaxPathLength = 2047;

Atom atom(const char* name) {
    return XInternAtom(state().display, name, False);
}

std::string atomName(Atom value) {
    char* name = XGetAtomName(state().display, value);
    std::string out = name ? name : "";
    if (name) XFree(name);
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

// The paths of the file:// URIs of a text/uri-list, in order.
std::vector<std::string> pathsOfUriList(const std::string& list) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 7, "file://") != 0) continue;
        std::string rest = line.substr(7);
        // file://host/path: only the local host.
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) continue;
        const std::string host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") continue;
        std::string path;
        bool ok = true;
        for (std::size_t i = slash; i < rest.size(); ++i) {
            if (rest[i] != '%') {
                path.push_back(rest[i]);
                continue;
            }
            const int high = i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
            const int low = i + 2 < rest.size() ? hexValue(rest[i + 2]) : -1;
            if (high < 0 || low < 0 || (high == 0 && low == 0)) {
                ok = false;
                break;
            }
            path.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        }
        if (ok) paths.push_back(path);
    }
    return paths;
}

namespace {

class XdndSource final : public DropSource {
public:
    XdndSource(Window target, Window source, std::vector<Atom> types)
        : m_target(target), m_source(source), m_types(std::move(types)) {}

    bool hasText() override { return !offers("text/uri-list") && textType() != None; }
    FetchResult fetchText(std::u16string& text) override {
        const Atom type = textType();
        if (type == None) return FetchResult::unavailable;
        std::string bytes;
        if (!fetch(type, bytes)) return FetchResult::unavailable;
        if (bytes.empty()) return FetchResult::empty;
        text = utf8ToUtf16(bytes);
        return FetchResult::ok;
    }
    std::uint32_t fileCount() override {
        return loadFiles() ? static_cast<std::uint32_t>(m_files.size()) : 0;
    }
    bool hasFiles() override { return offers("text/uri-list"); }
    bool filePath(std::uint32_t index, std::u16string& path) override {
        if (!loadFiles() || index >= m_files.size()) return false;
        path = utf8ToUtf16(m_files[index]);
        if (path.size() > kMaxPathLength) path.resize(kMaxPathLength);
        return true;
    }
    // Linux has no shell shortcut files.
    bool resolveShortcut(const std::u16string& /*shortcutPath*/,
                         std::u16string& /*target*/) override {
        return false;
    }

private:
    bool offers(const char* name) const {
        const Atom wanted = atom(name);
        return std::find(m_types.begin(), m_types.end(), wanted) != m_types.end();
    }
    Atom textType() const {
        for (const char* name : {"UTF8_STRING", "text/plain;charset=utf-8"})
            if (offers(name)) return atom(name);
        return None;
    }
    bool loadFiles() {
        if (m_filesLoaded) return m_filesOk;
        m_filesLoaded = true;
        std::string list;
        m_filesOk = offers("text/uri-list") && fetch(atom("text/uri-list"), list);
        if (m_filesOk) m_files = pathsOfUriList(list);
        return m_filesOk;
    }
    // Asks the selection's owner for the data as `type` and waits (at most half a second) for
    // it to arrive in a property of the frame window; other events stay queued meanwhile.
    bool fetch(Atom type, std::string& out) const {
        Display* display = state().display;
        if (!display) return false;
        const Atom property = atom("QT_XDND_DATA");
        XConvertSelection(display, atom("XdndSelection"), type, property, m_target, CurrentTime);
        XFlush(display);
        XEvent event;
        const std::uint32_t deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        for (;;) {
            if (XCheckTypedWindowEvent(display, m_target, SelectionNotify, &event)) break;
            const auto left = static_cast<std::int32_t>(deadline - monotonicMilliseconds());
            if (left <= 0) return false;
            pollfd wait{ConnectionNumber(display), POLLIN, 0};
            poll(&wait, 1, left);
        }
        if (event.xselection.property == None) return false;
        Atom actualType = None;
        if (!takeProperty(property, out, actualType)) return false;
        if (actualType == atom("INCR")) return takePieces(property, out);
        return actualType != None;
    }

    // Reads and deletes the frame window's property: its type, and its bytes when it holds
    // 8-bit data (an INCR announcement holds a 32-bit size, read and dropped). False on a read
    // error or other non-byte data. A missing property answers type None.
    bool takeProperty(Atom property, std::string& out, Atom& actualType) const {
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int result =
            XGetWindowProperty(state().display, m_target, property, 0, kMaxSelectionBytes / 4, True,
                               AnyPropertyType, &actualType, &format, &count, &remaining, &data);
        if (result != Success) return false;
        bool ok = actualType == None || actualType == atom("INCR") || format == 8;
        if (ok && format == 8 && data && actualType != atom("INCR"))
            out.assign(reinterpret_cast<const char*>(data), count);
        if (remaining != 0) ok = false; // larger than we take
        if (data) XFree(data);
        return ok;
    }

    // The INCR transfer: deleting the announcement asked the owner for the first piece; each
    // piece arrives as a new value of the property, and deleting it asks for the next one. A
    // piece of length 0 ends the data. A notice for the property when it holds nothing is one
    // left over from an earlier transfer and is passed over. Each piece may take half a second,
    // the whole is bounded by kMaxSelectionBytes.
    bool takePieces(Atom property, std::string& out) const {
        Display* display = state().display;
        out.clear();
        XFlush(display);
        std::uint32_t deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        PropertyWait wanted{m_target, property};
        for (;;) {
            XEvent event;
            if (!XCheckIfEvent(display, &event, isNewValue, reinterpret_cast<XPointer>(&wanted))) {
                const auto left = static_cast<std::int32_t>(deadline - monotonicMilliseconds());
                if (left <= 0) return false;
                pollfd wait{ConnectionNumber(display), POLLIN, 0};
                poll(&wait, 1, left);
                continue;
            }
            std::string piece;
            Atom actualType = None;
            if (!takeProperty(property, piece, actualType)) return false;
            XFlush(display); // the deletion asks for the next piece
            if (actualType == None) continue;
            if (piece.empty()) return true;
            if (out.size() + piece.size() > kMaxSelectionBytes) return false;
            out += piece;
            deadline = monotonicMilliseconds() + kSelectionTimeoutMilliseconds;
        }
    }

    struct PropertyWait {
        Window window;
        Atom property;
    };
    static Bool isNewValue(Display* /*display*/, XEvent* event, XPointer arg) {
        const auto* wanted = reinterpret_cast<const PropertyWait*>(arg);
        return event->type == PropertyNotify && event->xproperty.window == wanted->window &&
               event->xproperty.atom == wanted->property &&
               event->xproperty.state == PropertyNewValue;
    }

    Window m_target;
    Window m_source;
    std::vector<Atom> m_types;
    bool m_filesLoaded = false;
    bool m_filesOk = false;
    std::vector<std::string> m_files;
};

std::uint32_t effectOfAction(Atom action) {
    if (action == atom("XdndActionMove")) return kDropEffectMove;
    if (action == atom("XdndActionLink")) return kDropEffectLink;
    if (action == atom("XdndActionCopy")) return kDropEffectCopy;
    return kDropEffectCopy | kDropEffectMove | kDropEffectLink; // ask: any will do
}

Atom actionOfEffect(std::uint32_t effect) {
    if (effect & kDropEffectCopy) return atom("XdndActionCopy");
    if (effect & kDropEffectMove) return atom("XdndActionMove");
    if (effect & kDropEffectLink) return atom("XdndActionLink");
    return None;
}

void sendToSource(FrameWindow& window, Window source, const char* kind, long flags, Atom action) {
    XEvent reply{};
    reply.xclient.type = ClientMessage;
    reply.xclient.display = state().display;
    reply.xclient.window = source;
    reply.xclient.message_type = atom(kind);
    reply.xclient.format = 32;
    reply.xclient.data.l[0] = static_cast<long>(window.dragTarget);
    reply.xclient.data.l[1] = flags;
    if (std::strcmp(kind, "XdndStatus") == 0) {
        reply.xclient.data.l[2] = 0; // no quiet rectangle: send every move
        reply.xclient.data.l[3] = 0;
        reply.xclient.data.l[4] = static_cast<long>(action);
    } else {
        reply.xclient.data.l[2] = static_cast<long>(action);
    }
    XSendEvent(state().display, source, False, NoEventMask, &reply);
    XFlush(state().display);
}

std::vector<Atom> offeredTypes(const XClientMessageEvent& enter) {
    std::vector<Atom> types;
    const auto source = static_cast<Window>(enter.data.l[0]);
    if ((enter.data.l[1] & 1) == 0) {
        for (int i = 2; i < 5; ++i)
            if (enter.data.l[i] != 0) types.push_back(static_cast<Atom>(enter.data.l[i]));
        return types;
    }
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(state().display, source, atom("XdndTypeList"), 0, 1024, False, XA_ATOM,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data && format == 32) {
        const auto* list = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            types.push_back(static_cast<Atom>(list[i]));
    }
    if (data) XFree(data);
    return types;
}

} // namespace

void handleDndMessage(FrameWindow& window, const XClientMessageEvent& message) {
    if (!window.dropEvents || message.format != 32) return;
    const std::string kind = atomName(message.message_type);
    const auto source = static_cast<Window>(message.data.l[0]);
    if (kind == "XdndEnter") {
        if (window.dragSource) window.dropEvents->dragLeave();
        window.dragSource = source;
        window.dragTarget = message.window;
        std::uint32_t effect = kDropEffectCopy | kDropEffectMove | kDropEffectLink;
        window.dropEvents->dragEnter(
            std::make_unique<XdndSource>(window.id, source, offeredTypes(message)), effect);
    } else if (kind == "XdndPosition") {
        if (source != window.dragSource) return;
        std::uint32_t effect = effectOfAction(static_cast<Atom>(message.data.l[4]));
        window.dropEvents->dragOver(effect);
        const Atom action = actionOfEffect(effect);
        sendToSource(window, source, "XdndStatus", action != None ? 1 : 0, action);
    } else if (kind == "XdndLeave") {
        if (source != window.dragSource) return;
        window.dragSource = 0;
        window.dropEvents->dragLeave();
    } else if (kind == "XdndDrop") {
        if (source != window.dragSource) return;
        window.dragSource = 0;
        window.dropEvents->drop();
        sendToSource(window, source, "XdndFinished", 1, atom("XdndActionCopy"));
    }
}

// A source that finds XdndProxy on the window it drags over sends its messages to the window
// the property names, still naming the first window in them. When one of our frames is that
// proxy (a host may name the frame on its own window), the frame takes the drag, and its
// replies name the window the source addresses. Any other message for a window that is not a
// frame is not ours.
FrameWindow* frameProxyingFor(Window target) {
    Display* display = state().display;
    if (!display || target == 0) return nullptr;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    // A window destroyed meanwhile only gives an error, which the frames' handler ignores.
    const int result =
        XGetWindowProperty(display, target, atom("XdndProxy"), 0, 1, False, XA_WINDOW, &actualType,
                           &format, &count, &remaining, &data);
    Window proxy = 0;
    if (result == Success && data && format == 32 && count == 1)
        proxy = static_cast<Window>(*reinterpret_cast<const unsigned long*>(data));
    if (data) XFree(data);
    return proxy ? frameOf(proxy) : nullptr;
}

} // namespace VSTGUI::x11

namespace VSTGUI::platform::window_system {

using x11::atom;
using x11::frameOf;
using x11::state;
using x11::xid;

bool registerDropTarget(WindowHandle window, DropEvents* events) {
    x11::FrameWindow* frame = frameOf(xid(window));
    if (!frame || !events || frame->gone) return false;
    frame->dropEvents = events;
    const long version = x11::kXdndVersion;
    XChangeProperty(state().display, frame->id, atom("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XFlush(state().display);
    return true;
}

void revokeDropTarget(WindowHandle window) {
    x11::FrameWindow* frame = frameOf(xid(window));
    if (!frame) return;
    if (frame->dragSource && frame->dropEvents) frame->dropEvents->dragLeave();
    frame->dragSource = 0;
    frame->dropEvents = nullptr;
    if (!frame->gone) XDeleteProperty(state().display, frame->id, atom("XdndAware"));
}

} // namespace VSTGUI::platform::window_system
