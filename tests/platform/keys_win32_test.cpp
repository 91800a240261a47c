// SendInput into a window of this test that has the focus, as Windows (or Wine)
// delivers it: characters arrive as WM_CHAR, the movement keys as WM_KEYDOWN.
#include "platform/keys.h"

#include <windows.h>

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace {

std::wstring received;

LRESULT CALLBACK record(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CHAR) received += static_cast<wchar_t>(w);
    if (message == WM_KEYDOWN && w == VK_DOWN) received += L"<down>";
    if (message == WM_KEYDOWN && w == VK_RIGHT) received += L"<right>";
    if (message == WM_KEYDOWN && w == VK_HOME) received += L"<home>";
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
    // The system code page's characters, "\x80" and "\x96" too where it is 1252.
    const bool westernEurope = GetACP() == 1252;
    ASSERT_TRUE(sender->send(westernEurope ? "(6x) A{DOWN}{RIGHT}{HOME}\xE9\x80\x96{(}" : "(6x) A{DOWN}{RIGHT}{HOME}{(}", true));
    const std::wstring expected = westernEurope ? L"6x A<down><right><home>\u00E9\u20AC\u2013(" : L"6x A<down><right><home>(";
    // A control character has no key: the text is refused whole, naming it.
    EXPECT_EQ(sender->send("ab\x07", true).character, "the control character U+0007");
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
