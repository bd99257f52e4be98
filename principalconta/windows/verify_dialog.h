#pragma once
// "Verificación": the differences between the destination and its sources in a read-only
// grid, with the summary of each target, where the detail file went and the means to save
// them elsewhere as CSV.
#include <QDialog>

// moc cannot read the C++20 library headers behind the report's dates.
#ifndef Q_MOC_RUN
#include "principalconta/transmission/verify.h"
#endif

#include <string>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kalvora {

class Dialogs;
class ReportGrid;

class VerifyDialog : public QDialog {
    Q_OBJECT
public:
    // detailPath: the CSV written for this report; "" when it could not be written.
    VerifyDialog(VerifyReport report, const std::string& detailPath, Dialogs& dialogs, QWidget* parent = nullptr);

    // False, after telling the user, when the file cannot be written.
    bool saveTo(const QString& path);

    QLabel* summary;
    ReportGrid* table;
    QTableWidget* grid;
    QLabel* detail;
    // The dialog's buttons, left to right.
    QHBoxLayout* buttons;
    QPushButton* saveButton;
    QPushButton* closeButton;

private:
    void save();

    VerifyReport report_;
    Dialogs& dialogs_;
};

}  // namespace kalvora
