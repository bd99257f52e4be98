#pragma once
// The one crossing between the program's Windows-1252 bytes and Qt's strings.
#include <QString>

#include <string>

namespace kalvora {

QString toQString(const std::string& bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string fromQString(const QString& text);

}  // namespace kalvora
