#pragma once
// Dialogs: the seam through which every modal dialog and message box of the
// program is shown. The windows and the core routines call this interface;
// the desktop program answers it with real Qt dialogs (QtDialogs), the tests
// with a scripted implementation, and the command-line tool by printing
// messages to standard error. Header-only so that the core library can use it
// without linking Qt Widgets. All calls come from the UI thread.
#include <optional>
#include <string>

enum class MessageIcon { None, Error };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message box with one OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

  // A modal input box with one edit field and OK/Cancel; nullopt on Cancel.
  virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultText) = 0;

  // The open-file dialog; nullopt when cancelled. The filter uses the
  // "Description|*.a;*.b" form.
  virtual std::optional<std::string> OpenFileName(const std::string& filter) = 0;

  // The save-file dialog (no overwrite prompt); nullopt when cancelled.
  virtual std::optional<std::string> SaveFileName(const std::string& filter) = 0;
};

// Texts shared by several callers.
inline constexpr const char* kApplicationTitle = "Snipola";
inline constexpr const char* kErrorCaption = "Error";
