#include "commandline.h"
#include "widgets/accessibility.h"
#include "widgets/fonts.h"
#include "yaoshiapp.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QTextStream out(stdout), err(stderr);
    CommandLine commandLine;
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<int> status = commandLine.answerQuery(raw, out))
        return *status;

    QApplication app(argc, argv);
    installQtTranslation(app);
    const std::optional<StartRequest> request = commandLine.read(QApplication::arguments(), err);
    if (!request)
        return kUsageError;
    QApplication::setApplicationName(QStringLiteral("yaoshi"));
    QApplication::setDesktopFileName(QStringLiteral("org.yaoshi.Yaoshi"));
    registerFontSubstitutes();
    installAccessibility();
    QtPlatform platform;
    YaoshiApp yaoshi(platform, YaoshiApp::defaultStepFolder());
    yaoshi.start(*request);
    return app.exec();
}
