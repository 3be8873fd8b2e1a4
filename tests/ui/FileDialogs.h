// Drives the real Qt file dialogs of the choosers on the offscreen platform as a user would.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include <functional>
#include <string>

namespace uitest {

using Answer = std::function<bool(QFileDialog*)>;
struct Shown { // what a dialog showed when it appeared
  QString name;
  QStringList nameFilters, mimeFilters;
};

// Runs `call` while a timer hands the modal dialog to `answer` on every tick until that returns
// true (the dialog lists its folder asynchronously, so a selection may need another try). A
// dialog still open five seconds later is cancelled, so that a failing test cannot hang.
inline short withDialog(const Answer& answer, const std::function<short()>& call,
                        Shown* shown = nullptr) {
  QTimer timer;
  bool seen = false;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (!seen) {
      QTimer::singleShot(5000, dialog, &QFileDialog::reject);
      auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
      if (shown)
        *shown = {edit ? edit->text() : "?", dialog->nameFilters(), dialog->mimeTypeFilters()};
    }
    seen = true;
    if (answer(dialog)) timer.stop();
  });
  timer.start(20);
  short result = call();
  EXPECT_TRUE(seen) << "no dialog was shown";
  return result;
}

// Opens the folder of `path`, types its name unless the name field holds one (a proposed name),
// and accepts once the dialog reports exactly that selection.
inline Answer choose(const std::string& path) {
  return [path](QFileDialog* d) {
    QString wanted = QString::fromStdString(path);
    d->setDirectory(QFileInfo(wanted).absolutePath());
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    if (edit && edit->text().isEmpty()) edit->setText(QFileInfo(wanted).fileName());
    if (d->selectedFiles() != QStringList{wanted}) return false;
    static_cast<QDialog*>(d)->accept(); // protected in QFileDialog
    return true;
  };
}

} // namespace uitest
