// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// StderrDialogs: the command-line tool's answer to the Dialogs seam. A
// message box becomes one line on the error stream; input, open and save
// dialogs cannot be shown and answer Cancel.
#include <optional>
#include <ostream>
#include <string>

#include "base/dialogs.h"

class StderrDialogs : public Dialogs {
 public:
  explicit StderrDialogs(std::ostream& err) : err_(err) {}

  void ShowMessage(const std::string& text, const std::string& /*caption*/,
                   MessageIcon /*icon*/) override {
    err_ << text << '\n';
  }
  std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                        const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const std::string&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }

 private:
  std::ostream& err_;
};
