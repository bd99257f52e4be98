#pragma once
// "Vista previa del envío": what "Enviar" would do, entry by entry, in a read-only grid,
// with the counts of each target and the means to save it as CSV.
#include <QDialog>

// moc cannot read the C++20 library headers behind the report's dates.
#ifndef Q_MOC_RUN
#include "principalconta/transmission/preview.h"
#endif

class QLabel;
class QPushButton;
class QTableWidget;

namespace kalvora {

class Dialogs;
class ReportGrid;

class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    PreviewDialog(PreviewReport report, Dialogs& dialogs, QWidget* parent = nullptr);

    // False, after telling the user, when the file cannot be written.
    bool saveTo(const QString& path);

    QLabel* counts;
    ReportGrid* table;
    QTableWidget* grid;
    QPushButton* saveButton;
    QPushButton* closeButton;

private:
    void save();

    PreviewReport report_;
    Dialogs& dialogs_;
};

}  // namespace kalvora
