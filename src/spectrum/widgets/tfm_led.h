#pragma once
// TfmLed: the spectrum analyzer window, a 129 x 44 borderless window that
// stays on top of other windows and sits docked above the main window. The
// main window creates it, shows and hides it and moves it; what it draws is
// the analyzer's off-screen picture.
#include <QWidget>

class TfmLed : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 129;
  static constexpr int kHeight = 44;

  explicit TfmLed(QWidget* parent = nullptr);

  // Shows the empty LED matrix.
  void ClearDisplay();
};

// The program-wide analyzer window; null until the program entry creates it.
extern TfmLed* fmLed;
