// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TerminationSignals: ends the desktop program cleanly when the session asks
// it to: SIGTERM (a logout, `kill`, a service manager), SIGINT (Ctrl+C in the
// terminal it was started from) and SIGHUP (that terminal closing).
//
// The signal handler does nothing but write the signal's number into a pipe
// (write(2) is async-signal-safe); a QSocketNotifier on the pipe's other end
// calls `onSignal` from the event loop, where the program may do anything
// (stop playback, close windows, save settings). Each handler is installed
// with SA_RESETHAND: a second signal of the same kind, for a program stuck
// somewhere the event loop does not reach, ends it the default way. A SIGHUP
// that was ignored when the program started (nohup) stays ignored.
//
// One object at a time; it restores the previous handlers and closes the pipe
// when it goes. UI thread only (the thread that runs the event loop).
#include <QObject>
#include <functional>

class QSocketNotifier;

class TerminationSignals : public QObject {
 public:
  explicit TerminationSignals(std::function<void(int signalNumber)> onSignal,
                              QObject* parent = nullptr);
  ~TerminationSignals() override;

  // False when the pipe or a handler could not be set up (the program then
  // ends on these signals the default way, without saving).
  bool Installed() const { return installed_; }

 private:
  void ReadPipe();

  std::function<void(int)> onSignal_;
  int readFd_ = -1;
  int writeFd_ = -1;
  bool installed_ = false;
  QSocketNotifier* notifier_ = nullptr;
};
