#include "ui/qt/user_guide.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QShortcut>
#include <QWidget>

namespace kalvora {

QUrl userGuideUrl()
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
#ifdef _WIN32
    return QUrl::fromLocalFile(programFolder.filePath(QStringLiteral("guia.html")));
#else
    return QUrl::fromLocalFile(
        QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/doc/kalvora-envio/guia.html"))));
#endif
}

void openUserGuideOnF1(QWidget& window)
{
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    help->setContext(Qt::ApplicationShortcut);
    QObject::connect(help, &QShortcut::activated, [] { QDesktopServices::openUrl(userGuideUrl()); });
}

}  // namespace kalvora
