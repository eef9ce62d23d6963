// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfmLed: the spectrum analyzer window, a 129 x 44 borderless window that
// stays on top of other windows and sits docked above the main window. The
// main window creates it, shows and hides it and moves it.
//
// It never paints anything but its off-screen picture (LedPicture): the
// analysis (led.h) composes the picture through the LedDisplay interface and
// has it copied to the screen after every analysed block; a paint request from
// the platform copies it again. The window registers itself as the analysis's
// display while it exists.
//
// A close request (FormClose) releases the off-screen picture; the window
// object stays. While the picture is released, drawing requests are skipped;
// when the window is shown again the picture is rebuilt and shows the empty
// LED matrix.
//
// The user drags the window by any point: the platform's own window move
// when it offers one, otherwise the window follows the pointer.
//
// User-interface thread only.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>

#include "spectrum/led_display.h"
#include "spectrum/widgets/led_picture.h"

class TfmLed : public QWidget, public LedDisplay {
  Q_OBJECT
 public:
  static constexpr int kWidth = LedPicture::kWidth;
  static constexpr int kHeight = LedPicture::kHeight;

  // FormCreate: builds the off-screen picture, shows the empty LED matrix in
  // it and becomes the analysis's display.
  explicit TfmLed(QWidget* parent = nullptr);
  ~TfmLed() override;

  // Shows the empty LED matrix at once. Playback calls it when it stops the
  // output device and when a playback has finished.
  void ClearDisplay();

  // LedDisplay: the steps of one analysed block.
  void DrawLedGrid() override;
  void PaintBar(int band, int heightPx) override;
  void CopyToWindow() override;

  // The off-screen picture, or null while it is released after a close.
  const LedPicture* OffscreenPicture() const { return offscreen_.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void FormClose();

  QImage imBkgd;  // the background picture, never shown by itself
  std::unique_ptr<LedPicture> offscreen_;
  // The pointer-following fallback of dragging: where the drag began.
  bool draggingByPointer_ = false;
  QPoint dragStartPointer_;
  QPoint dragStartWindow_;
};

// The program-wide analyzer window; null until the program entry creates it.
extern TfmLed* fmLed;
