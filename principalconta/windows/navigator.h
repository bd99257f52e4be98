#pragma once
// Buttons that move over a row store and, in the editor, insert, delete and cancel. The
// navigator is one Tab stop: Left and Right move its focus mark from button to button,
// Space or Enter presses the marked one. A pressed button hands the focus to the grid it
// serves, on the current row; after an insert, on the new row's first cell.
#include <QWidget>

#include <map>
#include <vector>

class QAbstractButton;

namespace kalvora {

class DataGrid;
class Dialogs;
class NavigatorButton;
class RowStore;

class Navigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Cancel };

    // With editing, the insert, delete and cancel buttons are shown too.
    Navigator(RowStore& store, Dialogs& dialogs, bool editing, QWidget* parent = nullptr);

    QAbstractButton* button(Button which) const;
    // The grid the buttons' rows are typed into.
    void serve(DataGrid& grid) { grid_ = &grid; }
    // The button that Space would press while the navigator has the focus.
    Button marked() const { return order_[marked_]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void act(Button which);
    void refresh();
    void moveMark(int step);
    void showMark();

    void focusGrid(Button pressed);

    RowStore& store_;
    Dialogs& dialogs_;
    DataGrid* grid_ = nullptr;
    std::map<Button, NavigatorButton*> buttons_;
    std::vector<Button> order_;
    std::size_t marked_ = 0;
};

}  // namespace kalvora
