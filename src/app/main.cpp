#include "commandline.h"
#include "widgets/accessibility.h"
#include "widgets/fonts.h"
#include "yaoshiapp.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QTextStream out(stdout), err(stderr);
    CommandLine commandLine;
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<int> status = commandLine.answerQuery(raw, out))
        return *status;

    // Without a display Qt starts on a platform that needs none, quietly, only to take its own
    // options out, so that a wrong command line is still told as one.
    const bool noDisplay = CommandLine::displayMissing(raw);
    if (noDisplay) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "*.warning=false");
    }
    QApplication app(argc, argv);
    installQtTranslation(app);
    const std::optional<StartRequest> request = commandLine.read(QApplication::arguments(), err);
    if (!request)
        return kUsageError;
    if (noDisplay) {
        err << CommandLine::noDisplayMessage();
        return kNoDisplay;
    }
    QApplication::setApplicationName(QStringLiteral("yaoshi"));
    QApplication::setDesktopFileName(QStringLiteral("org.yaoshi.Yaoshi"));
    registerFontSubstitutes();
    installAccessibility();
    QtPlatform platform;
    YaoshiApp yaoshi(platform, YaoshiApp::defaultStepFolder());
    yaoshi.start(*request);
    return app.exec();
}
