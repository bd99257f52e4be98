#pragma once
// "Verificación": the differences between the destination and its sources in a read-only
// grid, with the summary of each target, where the detail file went and the means to save
// them elsewhere as CSV.
#include <QDialog>

// moc cannot read the C++20 library headers behind the report's dates.
#ifndef Q_MOC_RUN
#include "principalconta/transmission/verify.h"
#endif

#include <functional>
#include <string>
#include <vector>

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

    const VerifyReport& report() const { return report_; }
    // What "Reparar…" does with the differences chosen (positions in the report; every one
    // when none is selected). Without it the button is not offered.
    void offerRepair(std::function<void(const std::vector<std::size_t>&)> repair);

    QLabel* summary;
    ReportGrid* table;
    QTableWidget* grid;
    QLabel* detail;
    // The dialog's buttons, left to right.
    QHBoxLayout* buttons;
    QPushButton* repairButton;
    QPushButton* saveButton;
    QPushButton* closeButton;

private:
    void save();

    VerifyReport report_;
    Dialogs& dialogs_;
    std::function<void(const std::vector<std::size_t>&)> repair_;
};

}  // namespace kalvora
