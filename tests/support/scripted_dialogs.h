#pragma once
// ScriptedDialogs: the tests' answer to the Dialogs seam. Messages are
// recorded; input, open and save dialogs take their answers from queues the
// test fills beforehand (an empty queue answers Cancel).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/dialogs.h"

struct RecordedMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

struct RecordedInput {
  std::string caption;
  std::string prompt;
  std::string defaultText;
};

class ScriptedDialogs : public Dialogs {
 public:
  std::vector<RecordedMessage> messages;
  std::vector<RecordedInput> inputs;
  std::vector<std::string> openFilters;
  std::vector<std::string> saveFilters;

  std::deque<std::optional<std::string>> inputAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;

  void ShowMessage(const std::string& text, const std::string& caption,
                   MessageIcon icon) override {
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

  std::optional<std::string> SaveFileName(const std::string& filter) override {
    saveFilters.push_back(filter);
    return Next(saveAnswers);
  }

  std::string LastMessageText() const { return messages.empty() ? "" : messages.back().text; }

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    auto answer = queue.front();
    queue.pop_front();
    return answer;
  }
};
