#pragma once
// The destination company box: shows a company's name, yields its code, and drops down a
// titled two-column list ("Código", "Nombre") as soon as the user types. What is typed
// finds the first company whose code, or else whose name, begins with it. The list is as
// wide as its longest name, within the screen.
#include "principalconta/destination_company.h"

#include <QComboBox>
#include <QElapsedTimer>

#include <string>
#include <vector>

class QStandardItemModel;
class QTableView;

namespace kalvora {

class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit LookupComboBox(QWidget* parent = nullptr);

    void setCompanies(const std::vector<Company>& companies);
    // The chosen COMP_COD. A key that is not listed is kept all the same, with nothing shown.
    const std::string& keyValue() const { return key_; }
    void setKeyValue(const std::string& code);

    QTableView* listView() const { return list_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showPopup() override;

private:
    void keepColumnWithinBounds(int column, int oldWidth, int newWidth);
    // The width the longest name takes, and the most the name column may take on the screen.
    int longestName() const;
    int widestName() const;
    // Typed text that finds a company; false for other keys.
    bool search(const QKeyEvent& event);
    int rowStartingWith(const QString& text) const;

    QStandardItemModel* model_;
    QTableView* list_;
    std::string key_;
    QString typed_;
    QElapsedTimer sinceTyped_;
};

}  // namespace kalvora
