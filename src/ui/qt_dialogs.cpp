// SPDX-License-Identifier: GPL-3.0-or-later
// QtDialogs over Qt's modal message box, input dialog and file dialogs; see qt_dialogs.h.
#include "ui/qt_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/skinned_window.h"

namespace {

// "*.mp3" -> "*.[mM][pP]3": a glob that matches every letter case, since
// file systems and file dialogs on Linux compare names case-sensitively.
QString AnyCasePattern(const QString& pattern) {
  QString result;
  for (const QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      result += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

QString QtNameFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
      patterns << AnyCasePattern(pattern.trimmed());
    }
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' '));
  }
  return filters.join(QStringLiteral(";;"));
}

void QtDialogs::Prepare(QWidget& dialog) const {
  dialog.setPalette(SkinnedWindow::Palette(Qt::white));
  // In the layer of the always-on-top analyzer, where the newest window is
  // uppermost: the analyzer never covers a dialog.
  dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
  // Qt places a dialog over its parent's window; a borderless parent whose
  // frame the window manager has not reported yet is taken for 0,0, so the
  // place is set here from the owner's own geometry.
  if (owner_ && owner_->isVisible() && !owner_->isMinimized()) {
    dialog.adjustSize();
    const QRect over = owner_->frameGeometry();
    dialog.move(over.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
}

std::optional<std::string> QtDialogs::ChosenFile(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (!folder_.empty()) dialog.setDirectory(QString::fromStdString(folder_));
  Prepare(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  const QString chosen = dialog.selectedFiles().front();
  folder_ = QFileInfo(chosen).absolutePath().toStdString();
  return chosen.toStdString();
}

void QtDialogs::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  owner_);
  // Messages carry paths and typed text: never read them as markup.
  box.setTextFormat(Qt::PlainText);
  Prepare(box);
  box.exec();
}

bool QtDialogs::Confirm(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, owner_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  Prepare(box);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::InputQuery(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& defaultText) {
  QInputDialog dialog(owner_);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.setLabelText(QString::fromStdString(prompt));
  dialog.setTextValue(QString::fromStdString(defaultText));
  Prepare(dialog);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtDialogs::OpenFileName(const std::string& filter) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QtNameFilter(filter));
  return ChosenFile(dialog);
}

std::optional<std::string> QtDialogs::FolderName() {
  QFileDialog dialog(owner_);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  return ChosenFile(dialog);
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string& filter,
                                                   const std::string& suggestedName) {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The caller asks before replacing, once the extension is settled.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter(QtNameFilter(filter));
  dialog.selectFile(QString::fromStdString(suggestedName));
  return ChosenFile(dialog);
}
