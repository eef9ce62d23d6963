#pragma once
// QtDialogs: the desktop program's answer to the Dialogs seam, with Qt's
// message box, input dialog and file dialogs. Every dialog is modal to the
// whole application and runs its own nested event loop.
#include <QString>

#include "base/dialogs.h"

class QWidget;

class QtDialogs : public Dialogs {
 public:
  // Dialogs are centred over `owner` when it is given.
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
  std::optional<std::string> OpenFileName(const std::string& filter) override;
  std::optional<std::string> SaveFileName(const std::string& filter) override;

 private:
  QWidget* owner_;
};

// Turns the "Description|*.a;*.b" filter form into a Qt name filter whose
// patterns match the extensions in any letter case:
// "Mp3/Wav File|*.mp3;*.wav" -> "Mp3/Wav File (*.[mM][pP]3 *.[wW][aA][vV])".
// Several "Desc|patterns" pairs (all separated by '|') give several filters
// joined by ";;".
QString QtNameFilter(const std::string& filter);
