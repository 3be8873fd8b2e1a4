#include "detail/Pasteboard.h"

#include "ui/UiThread.h"

#include <QClipboard>
#include <QGuiApplication>
#include <cstring>

void CocoaCopyToPasteboard(char* text) {
  if (!kiv::ui::userInterfaceAvailable()) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  clipboard->clear(QClipboard::Clipboard);
  // setText offers the one plain-text type; the application keeps no ownership record.
  if (text)
    clipboard->setText(QString::fromUtf8(text, static_cast<qsizetype>(std::strlen(text))),
                       QClipboard::Clipboard);
}
