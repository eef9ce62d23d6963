// SPDX-License-Identifier: GPL-3.0-or-later
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

  // A modal question with the buttons Yes and No, No the default (Enter and
  // Esc alike keep what is there); true for Yes.
  virtual bool Confirm(const std::string& text, const std::string& caption) = 0;

  // The open-file dialog; nullopt when cancelled. The filter uses the
  // "Description|*.a;*.b" form.
  virtual std::optional<std::string> OpenFileName(const std::string& filter) = 0;

  // The folder dialog (for the split's target); nullopt when cancelled or
  // where none can be shown.
  virtual std::optional<std::string> FolderName() { return std::nullopt; }

  // The folder the open and save dialogs start in: the one the last chosen
  // file lies in (the windows keep it in the settings between runs).
  virtual std::string Folder() const { return folder_; }
  virtual void SetFolder(const std::string& folder) { folder_ = folder; }

  // The save-file dialog, offering suggestedName (no overwrite prompt: the
  // caller asks, after settling the extension); nullopt when cancelled.
  virtual std::optional<std::string> SaveFileName(const std::string& filter,
                                                  const std::string& suggestedName) = 0;

 protected:
  std::string folder_;
};

// Texts shared by several callers.
inline constexpr const char* kApplicationTitle = "Snipola";
inline constexpr const char* kErrorCaption = "Error";
