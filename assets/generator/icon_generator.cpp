// SPDX-License-Identifier: GPL-3.0-or-later
// Draws Snipola's application icon, the skin's logo made large: an amber
// rounded plate with a waveform of five dark bars cut through by a slanted
// blade. One description of the shapes (in a 64 x 64 design space) gives both
// the scalable SVG and the PNGs of the hicolor theme's sizes, so they always
// agree. The files are committed in assets/icons/ and installed by
// cmake/SnipolaInstall.cmake; run this tool again after changing the drawing:
//
//   cmake --build build --target snipola-icon-generator
//   QT_QPA_PLATFORM=offscreen build/assets/snipola-icon-generator assets/icons
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

constexpr double kDesignSize = 64;

// The plate: a rounded square with a vertical gradient and a dark rim.
constexpr double kPlateX = 4, kPlateY = 4, kPlateSize = 56, kPlateRadius = 12, kRimWidth = 2;
const QColor kPlateTop(255, 184, 78);
const QColor kPlateBottom(176, 104, 20);
const QColor kRim(60, 34, 6);

// The waveform: five bars centred on the plate's middle line.
constexpr double kBarWidth = 5.5, kBarRadius = 2.5, kBarPitch = 9, kFirstBarCentre = 14,
                 kMiddle = 32;
constexpr double kBarHeights[] = {18, 32, 42, 28, 14};
const QColor kBar(40, 24, 4);

// The blade: a light stroke with round ends from lower left to upper right.
constexpr double kBladeX1 = 15, kBladeY1 = 51, kBladeX2 = 49, kBladeY2 = 13, kBladeWidth = 4.5;
const QColor kBlade(255, 244, 220);

QRectF BarRect(int index) {
  const double height = kBarHeights[index];
  return {kFirstBarCentre + index * kBarPitch - kBarWidth / 2, kMiddle - height / 2, kBarWidth,
          height};
}

QImage DrawPng(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kDesignSize, size / kDesignSize);
  QLinearGradient gradient(0, kPlateY, 0, kPlateY + kPlateSize);
  gradient.setColorAt(0, kPlateTop);
  gradient.setColorAt(1, kPlateBottom);
  p.setPen(QPen(kRim, kRimWidth));
  p.setBrush(gradient);
  p.drawRoundedRect(QRectF(kPlateX, kPlateY, kPlateSize, kPlateSize), kPlateRadius, kPlateRadius);
  p.setPen(Qt::NoPen);
  p.setBrush(kBar);
  for (int i = 0; i < 5; ++i) p.drawRoundedRect(BarRect(i), kBarRadius, kBarRadius);
  p.setPen(QPen(kBlade, kBladeWidth, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(kBladeX1, kBladeY1), QPointF(kBladeX2, kBladeY2));
  return image;
}

QString Svg() {
  const auto n = [](double value) { return QString::number(value); };
  QString svg;
  svg += QStringLiteral(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
             "viewBox=\"0 0 %1 %1\">\n"
             "  <defs>\n"
             "    <linearGradient id=\"plate\" x1=\"0\" y1=\"%2\" x2=\"0\" y2=\"%3\" "
             "gradientUnits=\"userSpaceOnUse\">\n"
             "      <stop offset=\"0\" stop-color=\"%4\"/>\n"
             "      <stop offset=\"1\" stop-color=\"%5\"/>\n"
             "    </linearGradient>\n"
             "  </defs>\n")
             .arg(n(kDesignSize), n(kPlateY), n(kPlateY + kPlateSize), kPlateTop.name(),
                  kPlateBottom.name());
  svg +=
      QStringLiteral(
          "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" rx=\"%4\" fill=\"url(#plate)\" "
          "stroke=\"%5\" stroke-width=\"%6\"/>\n")
          .arg(n(kPlateX), n(kPlateY), n(kPlateSize), n(kPlateRadius), kRim.name(), n(kRimWidth));
  for (int i = 0; i < 5; ++i) {
    const QRectF bar = BarRect(i);
    svg += QStringLiteral(
               "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
               .arg(n(bar.x()), n(bar.y()), n(bar.width()), n(bar.height()), n(kBarRadius),
                    kBar.name());
  }
  svg +=
      QStringLiteral(
          "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
          "stroke-linecap=\"round\"/>\n"
          "</svg>\n")
          .arg(n(kBladeX1), n(kBladeY1), n(kBladeX2), n(kBladeY2), kBlade.name(), n(kBladeWidth));
  return svg;
}

bool Report(bool ok, const QString& path) {
  std::fprintf(ok ? stdout : stderr, ok ? "wrote %s\n" : "cannot write %s\n", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.exists()) {
    std::fprintf(stderr, "no such folder: %s\n", argv[1]);
    return 2;
  }
  bool ok = true;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString path = dir.filePath(QStringLiteral("snipola-%1.png").arg(size));
    ok = Report(DrawPng(size).save(path, "PNG"), path) && ok;
  }
  const QString svgPath = dir.filePath(QStringLiteral("snipola.svg"));
  QFile svg(svgPath);
  ok = Report(svg.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  svg.write(Svg().toUtf8()) >= 0 && svg.flush(),
              svgPath) &&
       ok;
  return ok ? 0 : 1;
}
