// SPDX-License-Identifier: GPL-3.0-or-later
// The probe with the refused file's name and reason; see named_refusal.h.
#include "app/named_refusal.h"

#include <filesystem>

#include "audio/mp3io.h"
#include "audio/refusal_reason.h"
#include "base/dialogs.h"

namespace {

// Keeps the probe's message to show it once, with the name and reason added.
// The probe shows messages only; it never asks anything.
class HeldMessage : public Dialogs {
 public:
  std::string text;
  std::string caption = kErrorCaption;
  MessageIcon icon = MessageIcon::None;
  void ShowMessage(const std::string& message, const std::string& messageCaption,
                   MessageIcon messageIcon) override {
    text = message, caption = messageCaption, icon = messageIcon;
  }
  std::optional<std::string> InputQuery(const std::string&, const std::string&,
                                        const std::string&) override {
    return std::nullopt;
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> OpenFileName(const std::string&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

}  // namespace

bool ProbeNamingRefusal(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs) {
  HeldMessage held;
  if (GetAudioFileInfo(fileName, info, held)) return true;
  const std::string reason = ProbeRefusalReason(fileName);
  std::string text = held.text + "\n" + std::filesystem::path(fileName).filename().string();
  if (!reason.empty()) text += ": " + reason;
  dialogs.ShowMessage(text, held.caption, held.icon);
  return false;
}
