// SPDX-License-Identifier: GPL-3.0-or-later
#include "waveform/widgets/tfm_wave.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>

#include "waveform/waveform_model.h"

namespace {

const QColor kPanel(50, 50, 50);
const QColor kBevelLight(126, 125, 126);
const QColor kBevelDark(12, 12, 12);
const QColor kStripBack(0, 0, 0);
const QColor kWave(57, 182, 16);
const QColor kMarked(41, 61, 99);
const QColor kPosition(214, 113, 0);
const QColor kMark(110, 170, 255);
const QColor kSplitPoint(255, 196, 64);

// The y of a sample value in a strip of `height` pixels at `top`: full scale
// reaches the strip's edges, 0 is its middle line.
double SampleY(int16_t value, int top, int height) {
  const double half = (height - 1) / 2.0;
  return top + half - value / 32768.0 * half;
}

QRect OverviewRect() {
  return {TfmWave::kStripLeft, TfmWave::kOverviewTop, TfmWave::kStripWidth,
          TfmWave::kOverviewHeight};
}

QRect DetailRect() {
  return {TfmWave::kStripLeft, TfmWave::kDetailTop, TfmWave::kStripWidth, TfmWave::kDetailHeight};
}

void PaintColumns(QPainter& painter, const std::vector<ColumnPeak>& columns, QRect strip) {
  painter.setPen(kWave);
  for (size_t x = 0; x < columns.size(); ++x) {
    if (!columns[x].filled) continue;
    const int px = strip.left() + static_cast<int>(x);
    painter.drawLine(QPointF(px + 0.5, SampleY(columns[x].max, strip.top(), strip.height())),
                     QPointF(px + 0.5, SampleY(columns[x].min, strip.top(), strip.height()) + 1));
  }
}

void PaintBevel(QPainter& painter, QRect r) {
  painter.setPen(kBevelDark);
  painter.drawLine(r.left() - 1, r.top() - 1, r.right() + 1, r.top() - 1);
  painter.drawLine(r.left() - 1, r.top() - 1, r.left() - 1, r.bottom() + 1);
  painter.setPen(kBevelLight);
  painter.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
  painter.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 1);
}

}  // namespace

TfmWave::TfmWave(WaveformModel& model, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), model_(model) {
  setObjectName("fmWave");
  setWindowTitle("Waveform");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFocusPolicy(Qt::NoFocus);
  connect(&model_, &WaveformModel::Changed, this, qOverload<>(&QWidget::update));
}

void TfmWave::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPanel);
  painter.setPen(kBevelLight);
  painter.drawLine(0, 0, width() - 1, 0);
  painter.drawLine(0, 0, 0, height() - 1);
  painter.setPen(kBevelDark);
  painter.drawLine(0, height() - 1, width() - 1, height() - 1);
  painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
  PaintOverview(painter);
  PaintDetail(painter);
}

void TfmWave::PaintOverview(QPainter& painter) {
  const QRect strip = OverviewRect();
  PaintBevel(painter, strip);
  painter.fillRect(strip, kStripBack);
  if (model_.Info().LengthMs <= 0) return;
  if (model_.MarkEndMs() > model_.MarkBeginMs()) {
    const int from = model_.OverviewXForMs(model_.MarkBeginMs());
    const int to = model_.OverviewXForMs(model_.MarkEndMs());
    painter.fillRect(strip.left() + from, strip.top(), std::max(to - from, 1), strip.height(),
                     kMarked);
  }
  PaintColumns(painter, model_.Overview(), strip);
  painter.setPen(kSplitPoint);
  for (const SampleIndex point : model_.SplitPoints()) {
    const int at = strip.left() + model_.OverviewXForSample(point);
    painter.drawLine(at, strip.top(), at, strip.bottom());
  }
  painter.setPen(kPosition);
  const int x = strip.left() + std::min(model_.OverviewXForMs(model_.PositionMs()),
                                        static_cast<int>(model_.Overview().size()) - 1);
  painter.drawLine(x, strip.top(), x, strip.bottom());
}

void TfmWave::PaintDetail(QPainter& painter) {
  const QRect strip = DetailRect();
  PaintBevel(painter, strip);
  painter.fillRect(strip, kStripBack);
  if (model_.Info().LengthMs <= 0) return;
  const DetailWindow& window = model_.Detail();
  painter.save();
  painter.setClipRect(strip);
  if (window.DrawsSampleLine()) {
    // Zoomed past one sample per pixel: a line through the samples of each
    // channel, the audio that exists only.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kWave);
    const int channels = std::max(model_.DetailChannels(), 1);
    const auto& samples = model_.DetailSamples();
    for (int c = 0; c < channels; ++c) {
      QPainterPath line;
      for (int64_t i = model_.DetailValidFirst(); i < model_.DetailValidEnd(); ++i) {
        const QPointF point(strip.left() + window.XForFrame(window.firstFrame + i),
                            SampleY(samples[i * channels + c], strip.top(), strip.height()));
        if (i == model_.DetailValidFirst()) {
          line.moveTo(point);
        } else {
          line.lineTo(point);
        }
      }
      painter.drawPath(line);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
  } else {
    PaintColumns(painter, model_.DetailPeaks(), strip);
  }
  const auto markLine = [&](int32_t ms, const QColor& colour) {
    const double x = strip.left() + model_.DetailXForMs(ms);
    if (x < strip.left() || x > strip.right() + 1) return;
    painter.setPen(colour);
    painter.drawLine(QPointF(x, strip.top()), QPointF(x, strip.bottom() + 1));
  };
  markLine(model_.MarkBeginMs(), kMark);
  markLine(model_.MarkEndMs(), kMark);
  markLine(model_.PositionMs(), kPosition);
  painter.restore();
}

void TfmWave::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool onOverview = OverviewRect().contains(at);
  if (event->button() != Qt::LeftButton || model_.Info().LengthMs <= 0 ||
      !(onOverview || DetailRect().contains(at))) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragOnOverview_ = onOverview;
  const double x = event->position().x() - kStripLeft;
  const WaveDrag::Target target =
      onOverview ? WaveDrag::Target::Piece
                 : WaveDragTargetAt(x, model_.DetailXForMs(model_.MarkBeginMs()),
                                    model_.DetailXForMs(model_.MarkEndMs()));
  drag_.Press(x, PositionAt(x), target);
  event->accept();
}

int32_t TfmWave::PositionAt(double stripX) const {
  stripX = std::clamp(stripX, 0.0, static_cast<double>(kStripWidth));
  return dragOnOverview_ ? model_.PositionForOverviewX(static_cast<int>(stripX))
                         : model_.PositionForDetailX(stripX);
}

void TfmWave::DragTo(const QMouseEvent& event) {
  const double x = event.position().x() - kStripLeft;
  const auto marks = drag_.Move(x, PositionAt(x), model_.MarkBeginMs(), model_.MarkEndMs());
  if (marks && marksDrag_) marksDrag_(marks->first, marks->second);
}

void TfmWave::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.Pressed()) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  DragTo(*event);
}

void TfmWave::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !drag_.Pressed()) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  DragTo(*event);
  const int32_t pressMs = drag_.PressMs();
  if (drag_.Release() && dragOnOverview_ && overviewClick_) overviewClick_(pressMs);
}

void TfmWave::wheelEvent(QWheelEvent* event) {
  if (!DetailRect().contains(event->position().toPoint())) {
    QWidget::wheelEvent(event);
    return;
  }
  // Each notch halves (away) or doubles (towards) the detail span.
  const int notches = event->angleDelta().y() / 120;
  int32_t span = model_.DetailSpanMs();
  for (int i = 0; i < std::abs(notches); ++i) span = notches > 0 ? span / 2 : span * 2;
  model_.SetDetailSpanMs(span);
  event->accept();
}

void TfmWave::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  model_.SetActive(true);
}

void TfmWave::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  model_.SetActive(false);
}
