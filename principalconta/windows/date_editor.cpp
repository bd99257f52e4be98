#include "principalconta/windows/date_editor.h"

#include "settings/regional_formats.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>

namespace kalvora {

DateEditor::DateEditor(QWidget* parent) : QDateEdit(parent)
{
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    setLocale(spanish);
    setCalendarPopup(true);
    // The popup is a window of its own, which takes no locale from its editor.
    calendarWidget()->setLocale(spanish);
    calendarWidget()->setFirstDayOfWeek(spanish.firstDayOfWeek());
    // The user's short date picture, registry text; Qt reads d, M and y the way Windows writes them.
    setDisplayFormat(QString::fromStdString(regionalFormats().shortDate));
    setMinimumWidth(120);
    lineEdit()->installEventFilter(this);
}

bool DateEditor::eventFilter(QObject* watched, QEvent* event)
{
    // The line edit places the cursor on release; the section under it is selected after that.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease)
        QMetaObject::invokeMethod(
            this, [this] { setSelectedSection(currentSection()); }, Qt::QueuedConnection);
    return QDateEdit::eventFilter(watched, event);
}

bool DateEditor::focusNextPrevChild(bool next)
{
    if (steppingSections_)
        return QDateEdit::focusNextPrevChild(next);
    // Past the day, month and year: on to the next control.
    return QWidget::focusNextPrevChild(next);
}

void DateEditor::keyPressEvent(QKeyEvent* event)
{
    const bool sideways = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    steppingSections_ = sideways && event->modifiers().testFlag(Qt::ControlModifier);
    QDateEdit::keyPressEvent(event);
    steppingSections_ = false;
}

}  // namespace kalvora
