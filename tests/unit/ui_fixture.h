// Fixture of the window and gadget tests: the runtime layer is set up for
// each test and released after it, and the events the layer delivers are
// collected the way a program's loop takes them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "runtime/runtime.h"

struct Delivered {
    int code;
    int gadget;  // for EVENT_GADGET
    int type;
    bool operator==(const Delivered&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Delivered& e) {
    return out << "{" << e.code << ", gadget " << e.gadget << ", type " << e.type << "}";
}

// Every event poll_event delivers until it returns 0 (raw message numbers
// are left out).  A bounded loop, so that a pump that never empties fails.
inline std::vector<Delivered> drain_events() {
    std::vector<Delivered> events;
    for (int i = 0; i < 100000; ++i) {
        int code = poll_event();
        if (code == 0) return events;
        if (code == EVENT_GADGET) events.push_back({code, event_gadget(), event_type()});
        if (code == EVENT_CLOSE_WINDOW) events.push_back({code, 0, event_type()});
    }
    ADD_FAILURE() << "poll_event never returned 0";
    return events;
}

// The gadget numbers of the EVENT_GADGET events among `events`.
inline std::vector<int> gadgets_of(const std::vector<Delivered>& events) {
    std::vector<int> gadgets;
    for (const Delivered& e : events)
        if (e.code == EVENT_GADGET) gadgets.push_back(e.gadget);
    return gadgets;
}

inline std::string class_of(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

// Position and size of a child window in its parent's client coordinates.
inline RECT rect_in_parent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Other test processes share the display and may take the activation at
// any moment.  Runs `step` with `window` active, again (up to five times)
// when the window lost the activation meanwhile.  True when a run kept it.
template <typename Step>
bool while_active(HWND window, Step step) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        step();
        if (GetActiveWindow() == window) return true;
    }
    return false;
}

class Ui : public ::testing::Test {
protected:
    void SetUp() override { init_runtime(); }
    void TearDown() override { release_runtime(); }

    // A visible, active window of the given client size that new gadgets go into.
    HWND open_program_window(int number = 0, int width = 400, int height = 300) {
        HWND window = reinterpret_cast<HWND>(open_window(number, 20, 20, width, height, 0xC80000, "Test"));
        EXPECT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        EXPECT_NE(set_gadget_parent(window), 0);
        drain_events();
        return window;
    }

    // A user's left click at a point of a control's client area.
    static void click_at(HWND control, int x, int y, bool twice = false) {
        PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        if (!twice) return;
        PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
};
