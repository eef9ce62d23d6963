// Ending on signals: each of SIGTERM, SIGINT and SIGHUP reaches the program's
// callback from the event loop (never inside the handler), a SIGHUP ignored
// under nohup stays ignored, and opening the SDL device leaves the signals
// to the program.
#include "app/termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>

#include "audio/sdl_wave_out.h"
#include "support/core_application.h"

namespace {

bool IsDefault(int signalNumber) {
  struct sigaction current {};
  sigaction(signalNumber, nullptr, &current);
  return current.sa_handler == SIG_DFL;
}

}  // namespace

TEST(TerminationSignals, EachSignalReachesTheCallbackFromTheEventLoop) {
  EnsureCoreApplication();
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    std::vector<int> received;
    {
      const TerminationSignals watcher([&received](int n) { received.push_back(n); });
      ASSERT_TRUE(watcher.Installed());
      raise(signalNumber);
      EXPECT_TRUE(received.empty()) << "work done inside the handler";
      ASSERT_TRUE(WaitUntil([&received] { return !received.empty(); }, 2000));
      EXPECT_EQ(received, std::vector<int>{signalNumber});
    }
    EXPECT_TRUE(IsDefault(signalNumber)) << "previous handler not restored";
  }
}

TEST(TerminationSignals, AHangupIgnoredAtStartStaysIgnored) {
  EnsureCoreApplication();
  signal(SIGHUP, SIG_IGN);
  int calls = 0;
  {
    const TerminationSignals watcher([&calls](int) { ++calls; });
    raise(SIGHUP);
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(calls, 0);
  signal(SIGHUP, SIG_DFL);
}

TEST(TerminationSignals, OpeningTheSdlDeviceLeavesTheSignalsAlone) {
  EnsureCoreApplication();
  QObject completions;
  SdlWaveOut device;
  ASSERT_TRUE(device.Open(Pcm16Format(44100, 2), &completions));
  EXPECT_TRUE(IsDefault(SIGTERM));
  EXPECT_TRUE(IsDefault(SIGINT));
  device.Close();
}
