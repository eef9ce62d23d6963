#pragma once
// ClickLabel: a label that acts like a button (the main window's position
// labels open their value entry when clicked). A click is a left press and
// release inside the label, as for a push button.
#include <QLabel>

class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickLabel(QWidget* parent = nullptr);

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};
