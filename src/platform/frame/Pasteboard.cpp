#include "platform/frame/Pasteboard.h"

#include "platform/frame/GuiApplication.h"

#include <QClipboard>
#include <QGuiApplication>
#include <cstring>

namespace kiv::platform {

void copyToClipboard(const char* text) {
  if (!userInterfaceAvailable()) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  clipboard->clear(QClipboard::Clipboard);
  // setText offers the one plain-text type; the application keeps no ownership record.
  if (text)
    clipboard->setText(QString::fromUtf8(text, static_cast<qsizetype>(std::strlen(text))),
                       QClipboard::Clipboard);
}

} // namespace kiv::platform
