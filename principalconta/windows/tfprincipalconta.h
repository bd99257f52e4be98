#pragma once
// The main window: the destination server and company, the date range, the replication
// targets with their editor, and the buttons that connect and transmit. Its handlers read
// the controls and call the core; every one of them runs through the guard.
#include "principalconta/destination_company.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QDateEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kalvora {

class CaptionPanel;
class Componentes;
class DataGrid;
class Dialogs;
class LookupComboBox;
class Navigator;
class PanelProgress;
class Tfacceso;
class TargetsMenu;

class Tfprincipalconta : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the command line after the program's name, as the program's bytes.
    Tfprincipalconta(Componentes& componentes, Dialogs& dialogs, std::vector<std::string> arguments,
                     QWidget* parent = nullptr);
    ~Tfprincipalconta() override;

    Componentes& componentes() const { return c_; }
    // The sign-in dialog, from the first activation until it closes.
    Tfacceso* acceso() const;
    // The progress panel as the transmission drives it.
    PanelProgress& progress() const { return *progress_; }
    bool primera_activacion = false;

    void FormActivate();
    void SerDes1Change();
    void AdvGlowButton2Click();
    void AdvGlowButton1Click();
    void AdvGlowButton3Click();
    void AdvGlowButton4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

    QWidget* Panel1;
    QLabel* Label2;
    QLineEdit* SerDes1;
    LookupComboBox* LCiaDes;
    QPushButton* AdvGlowButton2;
    QPushButton* AdvGlowButton1;
    QGroupBox* RngFechas;
    QLabel* Label3;
    QDateEdit* Fecini;
    QLabel* Label4;
    QDateEdit* Fecfin;
    QLabel* Label1;
    DataGrid* DBGridEh1;
    Navigator* DBNavigator1;
    DataGrid* DBGridEh2;
    Navigator* DBNavigator2;
    QFrame* Panel2;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QLabel* Label5;
    QFrame* Panel4;
    QLabel* Label6;
    QLabel* Panel4Caption;
    QProgressBar* ProgressBar1;
    CaptionPanel* AdvPanel1;
    DataGrid* DBGridEh3;
    Navigator* DBNavigator3;
    DataGrid* DBGridEh4;
    Navigator* DBNavigator4;
    QFrame* Panel3;
    QPushButton* AdvGlowButton3;
    QPushButton* AdvGlowButton4;
    // "Vista previa…" and "Verificar…" on DBGridEh1.
    TargetsMenu* targetsMenu;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Steps;

    void FormCreate();
    void buildLeftColumn(QWidget* parent);
    void buildRightColumn(QWidget* parent);
    void buildBottomBar(QWidget* parent);
    void buildOverlays(QWidget* parent);
    void placeOverlays();
    void startInteractive();
    void describeControls();
    // Enables the buttons and the targets' menu as the state allows, saying why where not.
    void followState();

    // The handlers' work without the guard, for the unattended run.
    void showServer(const std::string& entry);
    void listCompanies();
    void connectDestination();
    void send();

    Componentes& c_;
    Dialogs& dialogs_;
    std::vector<std::string> arguments_;
    DestinationCompany destination_;
    // The company whose targets "Conectar" loaded last; "" while none is.
    std::string loadedCompany_;
    std::unique_ptr<PanelProgress> progress_;
    QPointer<Tfacceso> acceso_;
};

}  // namespace kalvora
