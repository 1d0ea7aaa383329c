#include "platform/qt/qt_platform.h"

QtStore::QtStore() : settings_(QSettings::NativeFormat, QSettings::UserScope, "Zandrel", "KTuskoSE50") {}

std::optional<std::string> QtStore::ReadText(const std::string &name) {
  const QVariant v = settings_.value(QString::fromStdString(name));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

void QtStore::WriteText(const std::string &name, const std::string &text) {
  settings_.setValue(QString::fromStdString(name), QString::fromStdString(text));
  settings_.sync();
}
