#include "platform/frame/AlertPanel.h"

#include "platform/frame/GuiApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kiv::platform {

namespace {

// A button caption as text for QPushButton, where "&" would mark a shortcut letter.
QString buttonCaption(const std::string& caption) {
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))
      .replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString plainText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<short> runAlertPanel(const std::string& title, const std::string& message,
                                   const std::string& ok, const std::string& cancel) {
  if (!userInterfaceAvailable()) return std::nullopt;
  QMessageBox box(QMessageBox::Information, plainText(title), plainText(message),
                  QMessageBox::NoButton);
  box.setTextFormat(Qt::PlainText);
  // A button without a caption could not be seen; the standard one takes its place.
  QAbstractButton* defaultButton =
      ok.empty() ? static_cast<QAbstractButton*>(box.addButton(QMessageBox::Ok))
                 : box.addButton(buttonCaption(ok), QMessageBox::AcceptRole);
  QAbstractButton* cancelButton = nullptr;
  if (!cancel.empty()) cancelButton = box.addButton(buttonCaption(cancel), QMessageBox::RejectRole);
  box.setDefaultButton(qobject_cast<QPushButton*>(defaultButton));
  box.setEscapeButton(cancelButton ? cancelButton : defaultButton);
  box.exec();
  return box.clickedButton() == defaultButton || !cancelButton ? 1 : 0;
}

void beep() {
  if (userInterfaceAvailable()) QApplication::beep();
}

} // namespace kiv::platform
