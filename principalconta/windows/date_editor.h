#pragma once
// A date editor with a calendar that drops down: one Tab stop for the whole date (Tab
// leaves it, Ctrl+arrows move between day, month and year), and its calendar in Spanish
// whatever the environment's locale. A click selects the day, month or year under it, so
// that what is typed next replaces it.
#include <QDateEdit>

namespace kalvora {

class DateEditor : public QDateEdit {
    Q_OBJECT
public:
    explicit DateEditor(QWidget* parent = nullptr);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool steppingSections_ = false;
};

}  // namespace kalvora
