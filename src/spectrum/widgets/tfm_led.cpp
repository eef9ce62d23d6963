#include "spectrum/widgets/tfm_led.h"

TfmLed* fmLed = nullptr;

TfmLed::TfmLed(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle("Spectrum Analyzer");
  setFixedSize(kWidth, kHeight);
  move(279, 102);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);
}

void TfmLed::ClearDisplay() { update(); }
