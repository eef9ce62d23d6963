// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's error box: the last resort for an error that ends a
// command. The message gets a full stop when its last character sorts after
// "." (so a sentence ending in a letter or digit is closed, one ending in "."
// or a bracket is left alone); the caption is the application title, with the
// error icon and an OK button.
#include <string>

#include "base/dialogs.h"

inline std::string ApplicationErrorText(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

inline void ShowApplicationError(Dialogs& dialogs, const std::string& text) {
  dialogs.ShowMessage(ApplicationErrorText(text), kApplicationTitle, MessageIcon::Error);
}
