#pragma once
// Buttons that move over a row store and, in the editor, insert, delete and cancel.
#include <QWidget>

#include <map>

class QToolButton;

namespace kalvora {

class DataGrid;
class Dialogs;
class RowStore;

class Navigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Cancel };

    // With editing, the insert, delete and cancel buttons are shown too. The grid, when
    // given, hands over an open cell editor before any button acts.
    Navigator(RowStore& store, Dialogs& dialogs, bool editing, DataGrid* grid = nullptr, QWidget* parent = nullptr);

    QToolButton* button(Button which) const;

private:
    void act(Button which);
    void refresh();

    RowStore& store_;
    Dialogs& dialogs_;
    DataGrid* grid_;
    std::map<Button, QToolButton*> buttons_;
};

}  // namespace kalvora
