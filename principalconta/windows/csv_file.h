#pragma once
// "Guardar CSV…" of the report dialogs: the file the user names, written whole or not at all
// told, in the program's bytes.
#include <QString>

#include <string>

class QWidget;

namespace kalvora {

class Dialogs;

// False, after telling the user, when the file cannot be written.
bool writeCsvFile(const QString& path, const std::string& text, Dialogs& dialogs);

// The file dialog's choice, or "" when the user cancels it.
QString askCsvPath(QWidget* parent, const QString& title, const QString& suggestedName);

}  // namespace kalvora
