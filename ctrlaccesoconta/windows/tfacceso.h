#pragma once
// The sign-in dialog: a destination server, a user and a password, checked by the
// server itself. It sees every key before its boxes do.
#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvora {

class Componentes;
class Dialogs;
class SignIn;

class Tfacceso : public QDialog {
    Q_OBJECT
public:
    // Creation loads the server list; the session goes into principal.
    Tfacceso(Componentes& principal, Dialogs& dialogs, QWidget* owner);
    ~Tfacceso() override;

    // The sign-in attempt through the guard, as F2 and the button run it.
    void SpeedButton1Click();
    // The attempt itself, raising its error: the unattended run calls it.
    void signInAttempt();
    // Ends the sign-in without a session, which ends the program.
    void SpeedButton2Click();

    QComboBox* ServidorDes;
    QLineEdit* TUsuades;
    QLineEdit* TClavedes;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QLabel* Panel2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool FormKeyDown(QObject* target, QKeyEvent* event);
    void FormCreate();

    Dialogs& dialogs_;
    std::unique_ptr<SignIn> signIn_;
};

}  // namespace kalvora
