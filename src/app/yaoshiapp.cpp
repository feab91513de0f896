#include "yaoshiapp.h"

#include "appicon.h"

#include <QDir>

YaoshiApp::YaoshiApp(Platform &platform, const QString &stepFolder)
    : m_calculator(platform, stepFolder, calculatorOpeners()), m_plotter(platform, openers()),
      m_launcher(openers())
{
    m_help.setWindowIcon(helpIcon());
    m_plotter.setWindowIcon(plotterIcon());
}

WindowOpeners YaoshiApp::openers()
{
    return {[this] { m_calculator.load(); }, [this] { m_plotter.load(); },
            [this] { m_help.load(); }};
}

WindowOpeners YaoshiApp::calculatorOpeners()
{
    // The calculator's Help opens a closed help window but leaves an open one where it is.
    WindowOpeners openers = this->openers();
    openers.help = [this] {
        if (!m_help.isLoaded())
            m_help.load();
    };
    return openers;
}

void YaoshiApp::start(const StartRequest &request)
{
    if (!request.isPlainStart()) {
        m_launcher.show();
        if (request.calculator || !request.document.isEmpty())
            m_calculator.load();
        if (!request.document.isEmpty())
            m_calculator.openPath(request.document);
        if (request.plotter)
            m_plotter.load();
        return;
    }
    // Shown once: closing it deletes it, and with it a backing store the size of the screen.
    m_splash = new SplashWindow([this] { m_launcher.show(); });
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->show();
}

QString YaoshiApp::defaultStepFolder()
{
    // The user's cache as the XDG base directories define it, where relative values do not
    // count. Without either the cache would be "/.cache": no history is better than a folder
    // at the root.
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (QDir::isAbsolutePath(cache))
        return QDir::cleanPath(cache) + QLatin1String("/yaoshi/steps");
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home) + QLatin1String("/.cache/yaoshi/steps");
    return {};
}
