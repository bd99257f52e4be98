#pragma once
// "Verificación": the differences between the destination and its sources in a read-only
// grid, with the summary of each target and where the detail file went.
#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kalvora {

struct VerifyReport;

class VerifyDialog : public QDialog {
    Q_OBJECT
public:
    // detailPath: the CSV written for this report; "" when it could not be written.
    VerifyDialog(const VerifyReport& report, const std::string& detailPath, QWidget* parent = nullptr);

    QLabel* summary;
    QTableWidget* grid;
    QLabel* detail;
    QPushButton* closeButton;
};

}  // namespace kalvora
