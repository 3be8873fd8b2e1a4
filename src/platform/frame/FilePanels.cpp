// Modal file choosers on Qt's own file dialog (the same on every desktop, and drivable in
// tests). Panels need the Qt application's thread and a display; otherwise they answer as if
// cancelled.
#include "detail/FilePanels.h"

#include "detail/CFString.h"
#include "ui/UiThread.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include <cstring>
#include <vector>

namespace {

// Room the forms without a size may use: the longest path Linux hands to a program.
constexpr int kDefaultRoom = 4096;

QString fromMacRoman(const char* text) {
  if (!text || !*text) return QString();
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingMacRoman);
  if (!s) return QString();
  CFIndex n = CFStringGetLength(s);
  std::vector<UniChar> units(size_t(n) + 1);
  CFStringGetCharacters(s, CFRangeMake(0, n), units.data());
  CFRelease(s);
  return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(n));
}

void prepare(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setWindowModality(Qt::ApplicationModal);
}

// Runs the dialog and copies the chosen path; -1 when cancelled or when it does not fit.
short run(QFileDialog& dialog, char* destination, int size) {
  if (dialog.exec() != QDialog::Accepted) return -1;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return -1;
  // The file system's own bytes for the name (UTF-8 here), so every path round-trips.
  const QByteArray path = QFile::encodeName(chosen.first());
  if (path.isEmpty() || path.size() >= qsizetype(size)) return -1;
  std::memcpy(destination, path.constData(), size_t(path.size()) + 1);
  return 0;
}

bool usable(const char* destination, int size) {
  return destination && size > 0 && kiv::ui::userInterfaceAvailable();
}

} // namespace

short doChooseFile(char* fileType, char* destination, int size) {
  if (!usable(destination, size)) return -1;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QString type = fromMacRoman(fileType);
  if (type.contains(QLatin1Char('/'))) {
    dialog.setMimeTypeFilters(QStringList{type});
  } else {
    if (type.startsWith(QLatin1Char('.'))) type.remove(0, 1);
    if (!type.isEmpty()) dialog.setNameFilter(QStringLiteral("*.") + type);
  }
  return run(dialog, destination, size);
}

short doChooseFile(char* fileType, char* destination) {
  return doChooseFile(fileType, destination, kDefaultRoom);
}

short doChooseFolder(char* destination, int size) {
  if (!usable(destination, size)) return -1;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  return run(dialog, destination, size);
}

short doChooseFolder(char* destination) { return doChooseFolder(destination, kDefaultRoom); }

short doChooseFileLocation(char* proposedName, char* destination, int size) {
  if (!usable(destination, size)) return -1;
  QFileDialog dialog;
  prepare(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (proposedName) dialog.selectFile(fromMacRoman(proposedName));
  return run(dialog, destination, size);
}

short doChooseFileLocation(char* proposedName, char* destination) {
  return doChooseFileLocation(proposedName, destination, kDefaultRoom);
}
