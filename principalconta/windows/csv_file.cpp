#include "principalconta/windows/csv_file.h"

#include "base/text.h"
#include "ui/dialogs.h"
#include "ui/qt/text.h"

#include <QFile>
#include <QFileDialog>

namespace kalvora {

bool writeCsvFile(const QString& path, const std::string& text, Dialogs& dialogs)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.flush())
        return true;
    dialogs.error(ansi("No se pudo guardar ") + fromQString(path) + ": " + fromQString(file.errorString()));
    return false;
}

QString askCsvPath(QWidget* parent, const QString& title, const QString& suggestedName)
{
    return QFileDialog::getSaveFileName(parent, title, suggestedName, QStringLiteral("Archivos CSV (*.csv)"));
}

}  // namespace kalvora
