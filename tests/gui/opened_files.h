#pragma once
// Stands in for the desktop's program for HTML while it lives: remembers the local files
// QDesktopServices was asked to open.
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace kalvora::test {

class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles();
    ~OpenedFiles() override;

    QStringList paths;

public slots:
    void open(const QUrl& url);
};

}  // namespace kalvora::test
