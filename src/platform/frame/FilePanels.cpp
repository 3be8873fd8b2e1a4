#include "platform/frame/FilePanels.h"

#include "platform/frame/GuiApplication.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace kiv::platform {

namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void prepare(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setWindowModality(Qt::ApplicationModal);
}

// Runs the dialog and answers the chosen path.
std::optional<std::string> run(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  // The file system's own bytes for the name (UTF-8 here), so every path round-trips.
  const QByteArray path = QFile::encodeName(chosen.first());
  return std::string(path.constData(), static_cast<size_t>(path.size()));
}

} // namespace

std::optional<std::string> chooseExistingFile(const std::string& type) {
  if (!userInterfaceAvailable()) return std::nullopt;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QString filter = fromUtf8(type);
  if (filter.contains(QLatin1Char('/'))) {
    dialog.setMimeTypeFilters(QStringList{filter});
  } else {
    if (filter.startsWith(QLatin1Char('.'))) filter.remove(0, 1);
    if (!filter.isEmpty()) dialog.setNameFilter(QStringLiteral("*.") + filter);
  }
  return run(dialog);
}

std::optional<std::string> chooseFolder() {
  if (!userInterfaceAvailable()) return std::nullopt;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  return run(dialog);
}

std::optional<std::string> chooseNewFileLocation(const std::optional<std::string>& proposedName) {
  if (!userInterfaceAvailable()) return std::nullopt;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (proposedName) dialog.selectFile(fromUtf8(*proposedName));
  return run(dialog);
}

} // namespace kiv::platform
