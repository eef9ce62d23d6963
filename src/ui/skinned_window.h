// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SkinnedWindow: what the program's borderless windows that are covered by a
// skin picture share (the main window, the export dialog, the about box, and
// any further window docked to the main one). A window holds one as a member,
// built in its constructor, which
//   - gives the window the skin's font (Arial at 11 pixels, whatever the
//     screen's font size) and palette (silver or white text on the dark grey
//     panels),
//     which its controls inherit; windows it opens (menus, message boxes)
//     do not inherit them: they are given Palette() where they are made;
//   - drags the window by its title strip. The window decides what a press
//     in the strip is (a caption area acts, anything else drags) and reports
//     the presses that drag, every move and every release, in screen pixels.
//
// Under Wayland, on the first move of a drag the compositor is asked to move
// the window itself (QWindow::startSystemMove): it is the only way a Wayland
// client's window moves. Everywhere else, and where the compositor declines,
// the window follows the pointer one to one from where it was grabbed, so it
// moves by exactly the drag. It is asked at the first move rather than at
// the press so that a click on a caption area still comes back as a release. Once the window system
// has taken the drag over, the release goes to it, not to us; the next press starts afresh.
//
// UI thread only.
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>

#include "ui/window_drag.h"

class QWidget;

class SkinnedWindow {
 public:
  // Height of the title strip at the top of every skin picture, in pixels.
  static constexpr int kTitleStripHeight = 20;

  // The text colour of the main window and the about box.
  static const QColor kSilverText;

  // Sets `window`'s font and palette, with `text` for the texts of its
  // controls; `window` must outlive this object (it is normally the
  // object's owner).
  explicit SkinnedWindow(QWidget* window, const QColor& text = kSilverText);

  static QFont Font();
  static QPalette Palette(const QColor& text = kSilverText);

  // A press that starts a drag, at the pointer's screen position `cursor`.
  void Press(QPoint cursor);
  // A move with the pointer at `cursor`; does nothing unless dragging.
  void Move(QPoint cursor);
  // Ends the drag (always first on a release).
  void Release();

  bool DraggingWindow() const { return drag_.DraggingWindow; }
  // True once the window system has taken the current drag over.
  bool SystemMoving() const { return systemMoving_; }

 private:
  QWidget* window_;
  WindowDrag drag_;
  bool systemMoveTried_ = false;
  bool systemMoving_ = false;
};
