// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dragging a borderless window by its skin: a press in the title strip
// remembers where the pointer and the window were, and every move puts the
// window where the pointer has taken it, one to one. Pure arithmetic in
// screen pixels, shared by the skinned windows.
#include <QPoint>
#include <QString>

// Whether the window system must move a window for the program (Qt's
// platform name `platformName`): only under Wayland, where a client cannot
// place its own window. Under X11 a window-manager move started in the
// middle of a drag flings the window by its own position, so there the
// window follows the pointer itself.
inline bool WindowSystemMovesWindows(const QString& platformName) {
  return platformName.startsWith(QStringLiteral("wayland"));
}

struct WindowDrag {
  bool DraggingWindow = false;
  QPoint WindowDragCursor;  // pointer (screen) at the press
  int WindowDragLeft = 0;   // window Left at the press
  int WindowDragTop = 0;    // window Top at the press

  void Press(QPoint cursor, QPoint windowPos) {
    DraggingWindow = true;
    WindowDragCursor = cursor;
    WindowDragLeft = windowPos.x();
    WindowDragTop = windowPos.y();
  }

  // Where the window goes for the pointer at `cursor`.
  QPoint TargetFor(QPoint cursor) const {
    return {cursor.x() - WindowDragCursor.x() + WindowDragLeft,
            cursor.y() - WindowDragCursor.y() + WindowDragTop};
  }

  void Release() { DraggingWindow = false; }
};
