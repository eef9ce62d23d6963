// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of Qt's display platforms the desktop program asks for. The program
// places its own windows (the analyzer docked above the main window, the
// dialogs centred over it), which a Wayland client cannot do; so on a Wayland
// session it runs through XWayland (Qt's "xcb" platform) when an X display
// is there, unless the user has chosen a platform with QT_QPA_PLATFORM. An
// unset and an empty variable count alike.

// The platform to set in QT_QPA_PLATFORM before the application object is
// made, or null to leave Qt's own choice.
inline const char* DisplayPlatformOverride(const char* waylandDisplay, const char* x11Display,
                                           const char* qtPlatform) {
  const auto given = [](const char* value) { return value != nullptr && *value != '\0'; };
  if (given(qtPlatform) || !given(waylandDisplay) || !given(x11Display)) return nullptr;
  return "xcb";
}
