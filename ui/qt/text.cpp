#include "ui/qt/text.h"

#include "base/text.h"

namespace kalvora {

QString toQString(const std::string& bytes) { return QString::fromStdString(toUtf8(bytes)); }

std::string fromQString(const QString& text) { return ansi(text.toStdString()); }

}  // namespace kalvora
