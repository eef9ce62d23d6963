// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers the fuzz targets share: a scratch file that holds the current input
// (the probes and readers take a path, not bytes), and a Dialogs answer that
// swallows every message box so a refused input is just a refused input.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/dialogs.h"

// Writes the input to a file of this process named with `extension` and
// returns its path; the same path is reused for every input. Aborts when the
// scratch folder cannot be written, which is a broken set-up, not a finding.
std::string WriteFuzzFile(const uint8_t* data, size_t size, const std::string& extension);

class SilentDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override { ++messages; }
  std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                        const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const std::string&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }

  int messages = 0;
};
