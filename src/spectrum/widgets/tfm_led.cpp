// SPDX-License-Identifier: GPL-3.0-or-later
// TfmLed: the analyzer window (see tfm_led.h).
#include "spectrum/widgets/tfm_led.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "spectrum/led.h"

TfmLed* fmLed = nullptr;

TfmLed::TfmLed(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      imBkgd(MakeLedBackground()),
      offscreen_(std::make_unique<LedPicture>(imBkgd)) {
  setWindowTitle("Spectrum Analyzer");
  setFixedSize(kWidth, kHeight);
  move(279, 102);
  // Every pixel comes from the off-screen picture; nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Closing the analyzer only hides it; the main window decides when the program ends.
  setAttribute(Qt::WA_QuitOnClose, false);
  SetLedDisplay(this);
  ClearDisplay();
}

TfmLed::~TfmLed() {
  if (CurrentLedDisplay() == this) {
    SetLedDisplay(nullptr);
  }
  if (fmLed == this) {
    fmLed = nullptr;
  }
}

void TfmLed::ClearDisplay() {
  DrawLedGrid();
  repaint();
}

void TfmLed::DrawLedGrid() {
  if (offscreen_) {
    offscreen_->DrawLedGrid();
  }
}

void TfmLed::PaintBar(int band, int heightPx) {
  if (offscreen_) {
    offscreen_->PaintBar(band, heightPx);
  }
}

void TfmLed::CopyToWindow() {
  // Painted now rather than queued: the picture is meant to follow the audio
  // block by block.
  repaint();
}

void TfmLed::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (offscreen_) {
    painter.drawImage(0, 0, offscreen_->image());
  } else {
    painter.fillRect(rect(), Qt::black);
  }
}

void TfmLed::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfmLed::FormClose() { offscreen_.reset(); }

void TfmLed::showEvent(QShowEvent* event) {
  if (!offscreen_) {
    offscreen_ = std::make_unique<LedPicture>(imBkgd);
    offscreen_->DrawLedGrid();
  }
  QWidget::showEvent(event);
}

void TfmLed::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  QWindow* handle = windowHandle();
  if (handle != nullptr && handle->startSystemMove()) {
    return;
  }
  draggingByPointer_ = true;
  dragStartPointer_ = event->globalPosition().toPoint();
  dragStartWindow_ = pos();
}

void TfmLed::mouseMoveEvent(QMouseEvent* event) {
  if (!draggingByPointer_) {
    return;
  }
  move(dragStartWindow_ + (event->globalPosition().toPoint() - dragStartPointer_));
}

void TfmLed::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    draggingByPointer_ = false;
  }
}
