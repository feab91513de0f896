#include "platform/fonts.h"
#include "yaoshiapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yaoshi"));
    QApplication::setDesktopFileName(QStringLiteral("org.yaoshi.Yaoshi"));
    registerFontSubstitutes();
    QtPlatform platform;
    YaoshiApp yaoshi(platform, Calculator::defaultStepFolder());
    yaoshi.start();
    return app.exec();
}
