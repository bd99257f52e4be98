// F1 opens the guide where the Debian package installs it, relative to the program.
#include "ui/qt/user_guide.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace kalvora {
namespace {

class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST(UserGuide, F1OpensTheInstalledGuide)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    QWidget window;
    openUserGuideOnF1(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    ASSERT_EQ(opened.urls.size(), 1);
    const QString expected =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/doc/kalvora-envio/guia.html");
    EXPECT_EQ(opened.urls.front().toLocalFile(), expected);
}

}  // namespace
}  // namespace kalvora

#include "test_user_guide.moc"
