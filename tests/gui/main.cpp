// The window tests run the real windows; they need a QApplication before any widget.
// With --screenshots=FOLDER the program draws the windows into PNG files instead.
#include "data/date_text.h"
#include "screenshots.h"
#include "settings/regional_formats.h"
#include "ui/qt/spanish.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // As the program does: the toolkit's own texts in Spanish.
    kalvora::loadSpanishTranslations(application);
    // Dates become text as in the program: in the regional formats of the registry file.
    const kalvora::ScopedDateText dateText(kalvora::regionalFormats);
    // Tests close main windows on purpose; that must not end anything.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString screenshots = QStringLiteral("--screenshots=");
    for (const QString& argument : QApplication::arguments())
        if (argument.startsWith(screenshots))
            return kalvora::test::renderScreenshots(argument.mid(screenshots.size()));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
