// SPDX-License-Identifier: GPL-3.0-or-later
// The export command of the main window; see export_command.h.
#include "export/widgets/export_command.h"

#include <QWidget>
#include <memory>

#include "export/widgets/tfm_export.h"

bool RunExportDialog(QWidget* mainWindow, const std::string& fileName,
                     const AudioFileInfo& fileInfo, int32_t markBeginMs, int32_t markEndMs,
                     Dialogs& dialogs, const std::function<void()>& stopPlayback,
                     std::shared_ptr<Mp3ScanIndex> scan) {
  if (fileName.empty()) return false;
  if (markEndMs <= markBeginMs) return false;
  if (stopPlayback) stopPlayback();

  // No owner: the dialog is modal to the whole application and freed here.
  auto fmexport = std::make_unique<Tfmexport>(dialogs);
  fmexport->FileInfo = fileInfo;
  fmexport->MarkBegin = markBeginMs;
  fmexport->MarkEnd = markEndMs;
  fmexport->SourceFileName = fileName;
  fmexport->Scan = std::move(scan);
  fmexport->setWindowModality(Qt::ApplicationModal);
  if (mainWindow) {
    const QRect over = mainWindow->frameGeometry();
    fmexport->move(over.center() - fmexport->rect().center());
  }
  return fmexport->exec() == QDialog::Accepted;
}
