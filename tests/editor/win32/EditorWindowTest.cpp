// SPDX-License-Identifier: MIT
// The editor-enabled library as a host uses it: its editor opened in a real parent window
// through the host record, painted through the message loop and the host's idle ticks, read
// back from the window's pixels, and clicked with posted mouse messages.
//
// The effect's mouse state is read through the shell behind the host record (the test is
// built from the same headers as the library); the library itself has no seam for it.
#include "TestHost.h"
#include "host/CVeST.h"
#include "runtime/TTarvo.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace testhost;

namespace {

constexpr COLORREF kEffectGreen = RGB(0x3F, 0x7F, 0x2F);

std::string editorLibrary() {
    return pluginPath(QT_EDITOR_FILE_NAME);
}

// Handles every waiting message of the thread.
void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class EditorWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.loadError();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QtEditorTestHost";
        RegisterClassW(&windowClass); // a second registration fails harmlessly
        parent = CreateWindowExW(0, L"QtEditorTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        ASSERT_NE(parent, nullptr);
        effect = host.create();
        ASSERT_NE(effect, nullptr);
        host.start(effect); // open (the reset sets the background), resume (redraw rate 30)
    }
    void TearDown() override {
        if (effect != nullptr) host.close(effect);
        if (parent != nullptr) DestroyWindow(parent);
        pumpMessages();
    }
    VstIntPtr call(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return host.dispatch(effect, opcode, 0, value, ptr);
    }
    TTarvo& runtime() { return *static_cast<CVeST*>(effect->object)->effect(); }
    HWND editorWindow() const { return FindWindowExW(parent, nullptr, nullptr, L"Window"); }
    // Idle ticks with the message loop running, for a little over `milliseconds`.
    void runFor(int milliseconds) {
        for (int elapsed = 0; elapsed <= milliseconds; elapsed += 10) {
            call(effEditIdle);
            pumpMessages();
            Sleep(10);
        }
    }
    COLORREF pixel(int x, int y) {
        HDC dc = GetDC(parent);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(parent, dc);
        return color;
    }
    void expectFilled() {
        for (POINT p : {POINT{0, 0}, POINT{200, 150}, POINT{399, 0}, POINT{0, 299}, POINT{399, 299}})
            EXPECT_EQ(pixel(p.x, p.y), kEffectGreen) << p.x << ", " << p.y;
        EXPECT_NE(pixel(420, 150), kEffectGreen);
        EXPECT_NE(pixel(200, 320), kEffectGreen);
    }
    void post(UINT message, WPARAM keys, int x, int y) {
        PostMessageW(editorWindow(), message, keys, MAKELPARAM(x, y));
        pumpMessages();
    }

    TestHost host{editorLibrary()};
    HWND parent = nullptr;
    AEffect* effect = nullptr;
};

} // namespace

TEST_F(EditorWindow, ReportsItsEditorAndPaintsItsAreaInTheEffectsColour) {
    EXPECT_EQ(effect->flags, 0x1031);
    ERect* rect = nullptr;
    ASSERT_EQ(call(effEditGetRect, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 300);
    EXPECT_EQ(rect->right, 400);
    ASSERT_EQ(call(effEditOpen, 0, parent), 1);
    ASSERT_NE(editorWindow(), nullptr);
    runFor(200);
    expectFilled();
}

TEST_F(EditorWindow, PostedMouseMessagesReachTheEffectsMouseState) {
    ASSERT_EQ(call(effEditOpen, 0, parent), 1);
    runFor(50);
    post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 12, 34);
    EXPECT_EQ(runtime().MouseButtons(), 9.0);
    EXPECT_EQ(runtime().MouseX(), 12.0);
    EXPECT_EQ(runtime().MouseY(), 34.0);
    post(WM_MOUSEMOVE, MK_LBUTTON, 40, 50);
    EXPECT_EQ(runtime().MouseButtons(), 9.0); // a drag keeps the buttons of its press
    EXPECT_EQ(runtime().MouseX(), 40.0);
    post(WM_LBUTTONUP, 0, 41, 51);
    EXPECT_EQ(runtime().MouseButtons(), 0.0);
    EXPECT_EQ(runtime().MouseY(), 51.0);
    post(WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 5, 6);
    EXPECT_EQ(runtime().MouseButtons(), 6.0);
    post(WM_RBUTTONUP, 0, 5, 6);
}

TEST_F(EditorWindow, ClosesAndReopens) {
    ASSERT_EQ(call(effEditOpen, 0, parent), 1);
    runFor(50);
    HWND first = editorWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(call(effEditClose), 0);
    pumpMessages();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(editorWindow(), nullptr);
    EXPECT_EQ(call(effEditClose), 0);
    ASSERT_EQ(call(effEditOpen, 0, parent), 1);
    ASSERT_NE(editorWindow(), nullptr);
    runFor(200);
    expectFilled();
}

TEST_F(EditorWindow, ClosingThePluginWithTheEditorOpenDestroysItsWindow) {
    ASSERT_EQ(call(effEditOpen, 0, parent), 1);
    runFor(50);
    HWND window = editorWindow();
    ASSERT_NE(window, nullptr);
    host.close(effect);
    effect = nullptr;
    pumpMessages();
    EXPECT_FALSE(IsWindow(window));
    // The parent still works: messages to it find no freed editor.
    SendMessageW(parent, WM_SIZE, 0, MAKELPARAM(300, 200));
    pumpMessages();
}
