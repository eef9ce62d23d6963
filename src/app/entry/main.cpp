// Program entry of the desktop program: the application titled "Snipola",
// the main window fmMain with the file probe and the SDL playback device
// plugged in, the spectrum analyzer window fmLed docked above it, and the
// event loop. Closing the main window ends the program; its destruction saves
// the settings.
//
// `snipola --version` prints the version and ends before any window system is
// needed. With the environment variable SNIPOLA_PRINT_HELP_PATH set, the
// program starts as usual, prints the path of its user manual (an empty line
// when it has none) and ends instead of running, with exit status 1 when the
// manual is missing: scripts/check-install uses it to check an installed tree.
#include <QApplication>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/help_file.h"
#include "app/settings.h"
#include "app/widgets/tfm_main.h"
#include "audio/mp3io.h"
#include "audio/sdl_wave_out.h"
#include "base/version.h"
#include "spectrum/widgets/tfm_led.h"
#include "ui/qt_dialogs.h"
#include "ui/resources.h"

int main(int argc, char* argv[]) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "snipola " << kSnipolaVersion << '\n';
    return 0;
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

  auto mainWindow = std::make_unique<TfmMain>(dialogs, options);
  fmMain = mainWindow.get();
  dialogs.SetOwner(mainWindow.get());
  // Before the first show, which opens a file named on the command line.
  mainWindow->Model().SetFileProbe(&GetAudioFileInfo);
  mainWindow->PlugPlayback(std::make_unique<SdlWaveOut>());
  auto ledWindow = std::make_unique<TfmLed>();
  fmLed = ledWindow.get();
  // Only the main window's closing ends the program.
  ledWindow->setAttribute(Qt::WA_QuitOnClose, false);

  mainWindow->show();
  int result = 0;
  if (qEnvironmentVariableIsSet("SNIPOLA_PRINT_HELP_PATH")) {
    const std::string help = HelpFilePath();
    std::cout << help << std::endl;
    result = help.empty() ? 1 : 0;
  } else {
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
