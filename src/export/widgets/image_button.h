#pragma once
// ImageButton: a 20 x 20 button drawn with one face of the shared image list
// and no frame of its own. Its owner changes the face (hover images) by
// setting the image index; pointer enter and leave are reported as signals so
// the owner's handlers decide what they mean.
#include <QAbstractButton>

class ImageButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit ImageButton(QWidget* parent = nullptr);

  int imageIndex() const { return imageIndex_; }
  void setImageIndex(int index);

 signals:
  void mouseEnter();
  void mouseExit();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int imageIndex_ = -1;
};
