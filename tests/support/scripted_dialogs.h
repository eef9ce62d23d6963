// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ScriptedDialogs: the tests' answer to the Dialogs seam. Messages are recorded; input, open
// and save dialogs take their answers from queues the test fills (an empty queue: Cancel).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/dialogs.h"

struct RecordedMessage {
  std::string text, caption;
  MessageIcon icon;
};
struct RecordedInput {
  std::string caption, prompt, defaultText;
};

class ScriptedDialogs : public Dialogs {
 public:
  std::vector<RecordedMessage> messages;
  std::vector<RecordedInput> inputs;
  std::vector<std::string> openFilters, saveFilters, confirms;
  std::deque<bool> confirmAnswers;  // an empty queue: No
  std::deque<std::optional<std::string>> inputAnswers, openAnswers, saveAnswers;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override {
    inputs.push_back({caption, prompt, defaultText});
    return Next(inputAnswers);
  }
  std::optional<std::string> OpenFileName(const std::string& filter) override {
    openFilters.push_back(filter);
    return Next(openAnswers);
  }
  std::optional<std::string> SaveFileName(const std::string& filter,
                                          const std::string& suggested) override {
    saveFilters.push_back(filter + " " + suggested);
    return Next(saveAnswers);
  }
  bool Confirm(const std::string& text, const std::string&) override {
    confirms.push_back(text);
    const bool yes = !confirmAnswers.empty() && confirmAnswers.front();
    if (!confirmAnswers.empty()) confirmAnswers.pop_front();
    return yes;
  }
  std::string LastMessageText() const { return messages.empty() ? "" : messages.back().text; }

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    const auto answer = queue.front();
    return queue.pop_front(), answer;
  }
};
