#pragma once
// "Informes de envío": the past runs from the reports folder, newest first; "Abrir" or a
// double click opens the chosen one with the desktop's program for HTML.
#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kalvora {

struct PastRun;

class RunReportsDialog : public QDialog {
    Q_OBJECT
public:
    RunReportsDialog(std::vector<PastRun> runs, const std::string& folder, QWidget* parent = nullptr);
    ~RunReportsDialog() override;

    QTableWidget* grid;
    QLabel* folder;
    QPushButton* openButton;
    QPushButton* closeButton;

    void openClick();

private:
    std::vector<PastRun> runs_;
};

}  // namespace kalvora
