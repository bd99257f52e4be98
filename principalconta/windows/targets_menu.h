#pragma once
// The context menu of the targets grid: "Vista previa…" and "Verificar…", offered once
// "Conectar" has loaded the targets. Each reads with the window's range and company and
// shows its report in a dialog of its own. "Informes de envío…" lists the past runs. A right
// click, Shift+F10 or the Menu key opens it.
#include <QObject>
#include <QPointer>
#include <QString>

// moc cannot read the C++20 library headers behind the dates.
#ifndef Q_MOC_RUN
#include "base/calendar.h"
#include "principalconta/transmission/verify.h"
#endif

#include <functional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace kalvora {

class Componentes;
class Dialogs;
class Progress;
class VerifyDialog;

// What "Enviar" would be given: the company box's text and the date range.
struct RunInput {
    std::string compania;
    Date desde;
    Date hasta;
};

class TargetsMenu : public QObject {
    Q_OBJECT
public:
    TargetsMenu(QWidget& grid, Componentes& c, Dialogs& dialogs, Progress& progress, std::function<RunInput()> input);

    QMenu* menu;
    QAction* previewAction;
    QAction* verifyAction;
    QAction* runReportsAction;

    // The actions as the menu would offer them now.
    void update();
    // Whether the window's state lets the actions run; whyNot: the reason shown when not.
    void allow(bool allowed, const QString& whyNot);
    // Opens the menu at the grid's current cell, as the keyboard does.
    void popupAtCurrentCell();
    void previewClick();
    void verifyClick();
    void runReportsClick();
    // "Reparar…" of the verification shown: the chosen differences (positions in its report).
    void repairClick(VerifyDialog& shown, const std::vector<std::size_t>& differences);
    // The report dialog last opened, while it is open.
    QDialog* report() const { return report_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(QDialog* dialog);
    void showVerification(const VerifyReport& report);

    QWidget& grid_;
    Componentes& c_;
    Dialogs& dialogs_;
    Progress& progress_;
    std::function<RunInput()> input_;
    QPointer<QDialog> report_;
    bool allowed_ = true;
    QString whyNot_;
};

}  // namespace kalvora
