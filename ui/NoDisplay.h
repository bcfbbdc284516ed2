// SPDX-License-Identifier: MIT
// The check each windowed program makes before it builds its QApplication:
// Qt aborts, with status 134 and a page about plugins, when it finds no
// display. One line and status 2 say what to do instead.
#ifndef NODISPLAY_H
#define NODISPLAY_H

#include <cstdio>
#include <cstdlib>
#include <cstring>

// True, having said so on standard error as `program`, when neither the
// arguments (-platform, -display) nor the environment give Qt a display.
inline bool saidNoDisplay(const char* program, int argc, char** argv)
{
#if defined(__unix__) && !defined(__APPLE__)
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "-platform")) platform = argv[i + 1];
        if (!std::strcmp(argv[i], "-display")) display = argv[i + 1];
    }
    const auto given = [](const char* s) { return s && *s; };
    // Platforms other than X11 and Wayland (offscreen, vnc, eglfs) need no display server.
    const bool x11 = !given(platform) || !std::strncmp(platform, "xcb", 3);
    const bool onWayland = given(platform) && !std::strncmp(platform, "wayland", 7);
    if (given(platform) && !x11 && !onWayland) return false;
    if ((x11 && given(display)) || given(wayland)) return false;
    std::fprintf(stderr, "%s: no display: set DISPLAY, or QT_QPA_PLATFORM=offscreen for tests\n", program);
    return true;
#else
    (void)program, (void)argc, (void)argv;
    return false;
#endif
}

#endif
