// SPDX-License-Identifier: MIT
// A back end that draws nothing: it defines both halves of the toolkit's platform seam, logs
// every call with its arguments (handles by the names it gave them, e.g. "pen1"), answers the
// statuses a test scripts (0 by default), and plays a tiny window system (windows with
// rectangles and parents, a pointer, key states, a clock) so that the portable toolkit can be
// driven without a display. The calls reach the recorder of the innermost live
// ScopedRecordingBackend, else one that lives for the whole program.
#pragma once

#include "toolkit/platform/Drawing2D.h"
#include "toolkit/platform/WindowSystem.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace VSTGUI::test {

class RecordingBackend {
public:
    // ---- the log ----
    std::vector<std::string> calls;
    void clearLog() { calls.clear(); }
    // Entries whose operation name (the text before '(') is `operation`.
    std::vector<std::string> callsOf(const std::string& operation) const;
    std::size_t count(const std::string& operation) const { return callsOf(operation).size(); }
    // Name of a handle in the log ("none" for null).
    std::string nameOf(const void* handle) const;

    // ---- scripting ----
    // Every later call of `operation` answers `status`.
    void failAlways(const std::string& operation, platform::Status status) {
        m_fixedStatus[operation] = status;
    }
    // The next call of `operation` answers `status` (queued, once each).
    void failNext(const std::string& operation, platform::Status status) {
        m_queuedStatus[operation].push_back(status);
    }

    float dpi = 96.0f;
    float fontHeight = 14.0f;
    float measuredWidth = 50.0f;
    std::set<std::u16string> installedFamilies{u"Arial", u"Symbol"};
    // Sizes of the images made from resources and data resources' bytes, by name.
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> resourceImages;
    std::map<std::string, std::vector<unsigned char>> dataResources;

    platform::PointI cursor;
    std::set<platform::PolledKey> pressedNow;
    std::set<platform::MessageKey> messageKeysDown;
    bool swappedButtons = false;
    bool doubleBuffered = true;
    bool threadUseBegins = true;
    // The answer of resizeFrameWindow: whether the frame keeps the new size.
    bool resizeAccepted = true;
    // Ticks: each read answers the next value of the queue, then the last value forever.
    std::deque<std::uint32_t> ticks{1000};
    std::uint32_t msgTime = 1000;
    std::uint32_t dblClickTime = 500;
    // Left-button-down messages waiting (taken one per call).
    int pendingLeftDowns = 0;
    // Pointer positions read one after another while waiting (then `cursor`).
    std::deque<platform::PointI> cursorPath;

    // ---- the window system ----
    struct Window {
        platform::WindowHandle parent = nullptr;
        platform::RectI rect; // screen rectangle
        bool titleBar = false;
        platform::WindowMessageSink* sink = nullptr;
        bool destroyed = false;
        bool dropRegistered = false;
        platform::DropEvents* dropEvents = nullptr;
    };
    // Makes a window the tests use as a host's parent window.
    platform::WindowHandle makeWindow(const platform::RectI& rect,
                                      platform::WindowHandle parent = nullptr);
    Window& window(platform::WindowHandle handle) { return m_windows.at(handle); }
    bool hasWindow(platform::WindowHandle handle) const { return m_windows.count(handle) != 0; }
    // Delivers a message to the window's sink as the window procedure would; answers whether
    // a sink was there, with its answer.
    bool send(platform::WindowHandle handle, const platform::WindowMessage& message,
              platform::MessageAnswer* answer = nullptr);
    int classRegistrations = 0;
    int classUnregistrations = 0;
    bool classRegistered = false;
    platform::WindowHandle lastCreatedWindow = nullptr;
    platform::WindowHandle capture = nullptr;
    int startups = 0;
    int shutdowns = 0;
    platform::CursorHandle currentCursor = nullptr;
    // Live native objects by kind (for leak checks).
    std::map<std::string, int> live;

    // ---- used by the seam's functions ----
    // The scripted answer of the next call of `operation`.
    platform::Status status(const std::string& operation);
    // A new handle named kind + number.
    template <typename Handle>
    Handle make(const std::string& kind);
    // Counts a handle's object as gone.
    void drop(const void* handle);
    void log(std::string entry) { calls.push_back(std::move(entry)); }
    std::map<std::uintptr_t, std::pair<std::uint32_t, std::uint32_t>> imageSizes;

private:
    std::map<std::string, platform::Status> m_fixedStatus;
    std::map<std::string, std::deque<platform::Status>> m_queuedStatus;
    std::uintptr_t m_nextHandle = 0x1000;
    std::map<std::string, int> m_kindCounters;
    std::map<std::uintptr_t, std::string> m_names;
    std::map<platform::WindowHandle, Window> m_windows;
};

// The recorder the seam's functions reach now.
RecordingBackend& recorder();

// Makes a fresh recorder the one in use for the life of the object.
class ScopedRecordingBackend {
public:
    ScopedRecordingBackend();
    ~ScopedRecordingBackend();
    ScopedRecordingBackend(const ScopedRecordingBackend&) = delete;
    ScopedRecordingBackend& operator=(const ScopedRecordingBackend&) = delete;
    RecordingBackend& operator*() { return m_backend; }
    RecordingBackend* operator->() { return &m_backend; }

private:
    RecordingBackend m_backend;
    RecordingBackend* m_previous;
};

} // namespace VSTGUI::test
