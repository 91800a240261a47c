// SendInput into a window of this test that has the focus, as Windows (or Wine)
// delivers it: characters arrive as WM_CHAR, the movement keys as WM_KEYDOWN.
#include "platform/keys.h"

#include <windows.h>

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string received;

LRESULT CALLBACK record(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CHAR) received += static_cast<char>(w);
    if (message == WM_KEYDOWN && w == VK_DOWN) received += "<down>";
    if (message == WM_KEYDOWN && w == VK_RIGHT) received += "<right>";
    if (message == WM_KEYDOWN && w == VK_HOME) received += "<home>";
    return DefWindowProcW(window, message, w, l);
}

TEST(SendInputKeySender, FocusedWindowReceivesCharactersAndMoves) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = record;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"framewise_keys_test";
    RegisterClassW(&cls);
    HWND window = CreateWindowW(cls.lpszClassName, L"keys", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, cls.hInstance, nullptr);
    // Wine started without a display (the headless test run) has no desktop.
    if (!window) GTEST_SKIP() << "no desktop to make a window on";
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);

    auto sender = platform::systemKeySender();
    ASSERT_TRUE(sender->send("(6x) A{DOWN}{RIGHT}{HOME}\xE9", true));
    const std::string expected = "6x A<down><right><home>\xE9";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received != expected && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    EXPECT_EQ(received, expected);
    DestroyWindow(window);
}

} // namespace
