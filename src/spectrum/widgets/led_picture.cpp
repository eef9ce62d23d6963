// SPDX-License-Identifier: GPL-3.0-or-later
// LedPicture: composing the analyzer's off-screen picture (see led_picture.h).
#include "spectrum/widgets/led_picture.h"

#include <algorithm>
#include <cstring>

#include "spectrum/led.h"
#include "spectrum/led_colors.h"

namespace {

constexpr int kLedColumns = 42;
constexpr int kLedRows = 10;

QRgb ToQRgb(const LedRgb& color) { return qRgb(color.red, color.green, color.blue); }

void SetRow(QImage& image, int y, int fromX, int toX, QRgb color) {
  for (int x = fromX; x <= toX; ++x) {
    image.setPixel(x, y, color);
  }
}

void SetColumn(QImage& image, int x, int fromY, int toY, QRgb color) {
  for (int y = fromY; y <= toY; ++y) {
    image.setPixel(x, y, color);
  }
}

}  // namespace

QImage MakeLedBackground() {
  constexpr int kRight = LedPicture::kWidth - 1;
  constexpr int kBottom = LedPicture::kHeight - 1;
  QImage image(LedPicture::kWidth, LedPicture::kHeight, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));

  const QRgb frame = qRgb(49, 48, 49);
  SetRow(image, 0, 0, kRight, frame);
  SetRow(image, kBottom, 0, kRight, frame);
  SetColumn(image, 0, 0, kBottom, frame);
  SetColumn(image, kRight, 0, kBottom, frame);

  SetRow(image, 1, 1, kRight - 2, qRgb(12, 12, 12));
  SetColumn(image, 1, 2, kBottom - 2, qRgb(23, 22, 23));
  SetColumn(image, kRight - 1, 2, kBottom - 2, qRgb(89, 89, 89));
  SetRow(image, kBottom - 1, 2, kRight - 2, qRgb(126, 125, 126));
  image.setPixel(kRight - 1, 1, qRgb(34, 34, 34));
  image.setPixel(1, kBottom - 1, qRgb(65, 64, 65));
  image.setPixel(kRight - 1, kBottom - 1, qRgb(132, 132, 132));
  return image;
}

LedPicture::LedPicture(const QImage& background)
    : background_(background.convertToFormat(QImage::Format_RGB32)), picture_(background_.copy()) {}

void LedPicture::DrawLedGrid() {
  // Same size and format, so the two images have the same memory layout.
  std::memcpy(picture_.bits(), background_.constBits(),
              static_cast<size_t>(picture_.sizeInBytes()));
  const QRgb off = ToQRgb(LedOffColor);
  for (int c = 0; c < kLedColumns; ++c) {
    for (int r = 0; r < kLedRows; ++r) {
      FillRect(3 * c + 2, 4 * r + 3, 3 * c + 4, 4 * r + 5, off);
    }
  }
}

void LedPicture::PaintBar(int band, int heightPx) {
  if (band < 0 || band >= kSpectrumBands) {
    return;
  }
  heightPx = std::clamp(heightPx, 0, kBarMaxHeightPx);
  const int left = 6 * band + 2;
  const int right = 6 * band + 7;
  const int segments = heightPx / 2;
  for (int s = 0; s < segments; ++s) {
    FillRect(left, 40 - 2 * s, right, 42 - 2 * s, ToQRgb(BarColors[s]));
  }
  if (heightPx % 2 == 1) {
    FillRect(left, 41 - 2 * segments, right, 42 - 2 * segments, ToQRgb(BarColors[segments]));
  }
}

void LedPicture::FillRect(int left, int top, int right, int bottom, QRgb color) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, picture_.width());
  bottom = std::min(bottom, picture_.height());
  for (int y = top; y < bottom; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    std::fill(line + left, line + std::max(left, right), color);
  }
}
