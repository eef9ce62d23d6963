// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfmWave: the waveform window, a borderless 400 x 150 window docked under
// the main window, drawn in the skin's dark panel look. It shows two strips
// of a WaveformModel and nothing else:
//
// - the overview (top): one vertical min/max line per pixel column for the
//   whole file, the marked piece shaded behind it, the current position as
//   a line; columns appear as the overview job delivers them. A left click
//   hands the position under the pointer to the click handler, which moves
//   the current position the way a drop of the seek handle does; a drag
//   marks the piece from the press to the pointer (WaveDrag).
// - the detail (bottom): the span around the current position (one second
//   unless the wheel zooms in), min/max columns or, past one sample per
//   pixel, a line through the samples of each channel; the current position
//   is the centre line, the marks are drawn where they fall. A drag marks
//   the piece as on the overview, or moves the mark line it grabbed.
//
// The window only renders and forwards: showing and hiding it switch the
// model on and off. User-interface thread only.
#include <QWidget>
#include <cstdint>
#include <functional>

#include "waveform/wave_drag.h"

class WaveformModel;

class TfmWave : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 150;
  // The two strips inside the window (left, top, width, height).
  static constexpr int kStripLeft = 8;
  static constexpr int kStripWidth = 384;
  static constexpr int kOverviewTop = 8;
  static constexpr int kOverviewHeight = 56;
  static constexpr int kDetailTop = 72;
  static constexpr int kDetailHeight = 70;

  explicit TfmWave(WaveformModel& model, QWidget* parent = nullptr);

  // Receives the position (ms) of a left click on the overview.
  void SetOverviewClick(std::function<void(int32_t positionMs)> handler) {
    overviewClick_ = std::move(handler);
  }
  // Receives the marks a drag makes, at every move of the pointer.
  void SetMarksDrag(std::function<void(int32_t beginMs, int32_t endMs)> handler) {
    marksDrag_ = std::move(handler);
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void PaintOverview(class QPainter& painter);
  void PaintDetail(class QPainter& painter);

  WaveformModel& model_;
  // The position the pointer at window x stands for on the pressed strip.
  int32_t PositionAt(double stripX) const;
  void DragTo(const class QMouseEvent& event);

  std::function<void(int32_t)> overviewClick_;
  std::function<void(int32_t, int32_t)> marksDrag_;
  WaveDrag drag_;
  bool dragOnOverview_ = false;
};
