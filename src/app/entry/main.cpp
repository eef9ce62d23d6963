// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry of the desktop program: the application titled "Snipola",
// the main window fmMain with the file probe and the SDL playback device
// plugged in, the spectrum analyzer window fmLed docked above it, and the
// event loop. Closing the main window ends the program; its destruction saves
// the settings. SIGTERM, SIGINT and SIGHUP end it the same way.
//
// `snipola --version` prints the version and the licence and ends before any
// window system is needed. With the environment variable SNIPOLA_PRINT_HELP_PATH
// set, the program starts as usual, prints the path of the user manual that
// Help opens (an empty line when it has none) and ends instead of running,
// with exit status 1 when the manual is missing: scripts/check-install uses it
// to check an installed tree.
#include <stdlib.h>

#include <QApplication>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/display_platform.h"
#include "app/help_file.h"
#include "app/named_refusal.h"
#include "app/settings.h"
#include "app/termination_signals.h"
#include "app/widgets/tfm_main.h"
#include "audio/mp3io.h"
#include "audio/sdl_wave_out.h"
#include "base/version.h"
#include "spectrum/widgets/tfm_led.h"
#include "ui/qt_dialogs.h"
#include "ui/resources.h"

int main(int argc, char* argv[]) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "snipola " << kSnipolaVersion << '\n' << kSnipolaLicense << '\n';
    return 0;
  }
  // Before the application object, which picks the platform.
  if (const char* platform = DisplayPlatformOverride(getenv("WAYLAND_DISPLAY"), getenv("DISPLAY"),
                                                     getenv("QT_QPA_PLATFORM"))) {
    setenv("QT_QPA_PLATFORM", platform, 1);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setApplicationDisplayName(kApplicationTitle);
  LoadSnipolaResources();

  QtDialogs dialogs;
  TfmMain::Options options;
  options.executablePath = QCoreApplication::applicationFilePath();
  options.settingsPath = QString::fromStdString(
      SettingsFilePath(QCoreApplication::applicationDirPath().toStdString()));
  options.arguments = QCoreApplication::arguments().mid(1);
  options.helpFile = QString::fromStdString(HelpFilePath());

  auto mainWindow = std::make_unique<TfmMain>(dialogs, options);
  fmMain = mainWindow.get();
  dialogs.SetOwner(mainWindow.get());
  // Before the first show, which opens a file named on the command line.
  mainWindow->Model().SetFileProbe(&ProbeNamingRefusal);
  mainWindow->PlugPlayback(std::make_unique<SdlWaveOut>());
  mainWindow->PlugScan();
  auto ledWindow = std::make_unique<TfmLed>();
  fmLed = ledWindow.get();
  // Only the main window's closing ends the program.
  ledWindow->setAttribute(Qt::WA_QuitOnClose, false);

  // A signal ends the program as Exit does (closing the main window stops
  // playback). Leaving every running event loop also ends an open about box,
  // export dialog or message box, whose window would otherwise keep the
  // program running (an export that is running finishes first); a signal
  // that came while a message box of the first show was up keeps the main
  // loop from starting at all.
  bool terminated = false;
  const TerminationSignals terminationSignals([&mainWindow, &terminated](int) {
    terminated = true;
    mainWindow->Terminate();
    QCoreApplication::exit(0);
  });

  mainWindow->show();
  int result = 0;
  if (qEnvironmentVariableIsSet("SNIPOLA_PRINT_HELP_PATH")) {
    std::cout << options.helpFile.toStdString() << std::endl;
    result = options.helpFile.isEmpty() ? 1 : 0;
  } else if (!terminated) {
    result = QApplication::exec();
  }

  // The main window goes first (it saves the settings and may still report a
  // failure to do so), then the analyzer it docks.
  dialogs.SetOwner(nullptr);
  mainWindow.reset();
  fmLed = nullptr;
  ledWindow.reset();
  return result;
}
