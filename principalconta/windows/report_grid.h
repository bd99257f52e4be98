#pragma once
// The read-only grid of the preview and verification dialogs.
#include <QStringList>
#include <QTableWidget>

#include <string>
#include <vector>

namespace kalvora {

// Titled columns, rows of Windows-1252 texts; no editing, whole rows selected.
QTableWidget* reportGrid(const QStringList& titles, const std::vector<std::vector<std::string>>& rows, QWidget* parent);

}  // namespace kalvora
