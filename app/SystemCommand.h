#pragma once
// Commands of the main dialog's window menu (opened with the right mouse
// button, as the window manager's own menu cannot take an entry).

namespace app {

constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Window-manager commands; their lowest four bits are free for the system.
constexpr unsigned SC_RESTORE = 0xF120;
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_CLOSE = 0xF060;

// True for the About entry: the command with its lowest four bits cleared.
constexpr bool IsAboutCommand(unsigned id) {
    return (id & 0xFFF0u) == IDM_ABOUTBOX;
}

} // namespace app
