// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object for widget tests (QT_QPA_PLATFORM=offscreen), made once per test process,
// with the compiled-in pictures registered. It also points the system-wide and per-user settings
// folders into the test tree before anything reads them, so no test ever writes /etc/xdg or
// ~/.config. Header-only: only the widget tests, which link Qt Widgets, include it.
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "ui/resources.h"

inline QApplication& TestApplication() {
  static QApplication* app = [] {
    const char* tmp = std::getenv("SNIPOLA_TEST_TMP");
    const std::filesystem::path root =
        tmp ? std::filesystem::path(tmp) : std::filesystem::temp_directory_path() / "snipola-tests";
    setenv("XDG_CONFIG_DIRS", (root / "xdg-system").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "xdg-home").c_str(), 1);
    static int argc = 1;
    static char name[] = "snipola-widget-test";
    static char* argv[] = {name, nullptr};
    auto* created = new QApplication(argc, argv);  // lives for the whole process
    LoadSnipolaResources();
    return created;
  }();
  return *app;
}
