#include "yaoshiapp.h"

#include "appicon.h"
#include "calculator/window/calculatormessages.h"

#include <QCoreApplication>
#include <QDir>

YaoshiApp::YaoshiApp(Platform &platform, const QString &stepFolder)
    : m_platform(platform), m_stepFolder(stepFolder),
      m_calculator(platform, stepFolder, calculatorOpeners()), m_plotter(platform, openers()),
      m_launcher(openers()),
      m_quitKeeper([this] { m_calculator.keepWork(); },
                   [this](bool mayAsk) { return m_calculator.commitData(mayAsk); })
{
    // However the event loop ends, unsaved work is kept and saved work leaves no record.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &m_calculator,
                     [this] { m_calculator.keepWork(); });
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

bool YaoshiApp::offerRecoveries()
{
    bool recovered = false;
    for (LeftRecovery &left : findLeftRecoveries(m_stepFolder)) {
        switch (m_platform.showMessage(nullptr, recoveryQuestionText(), messageTitle(),
                                       Platform::Buttons::YesNoCancel)) {
        case Platform::Answer::Yes:
            if (!m_calculator.recover(left.record()))
                break;
            recovered = true;
            left.discard();
            break;
        case Platform::Answer::No:
            left.discard();
            break;
        case Platform::Answer::Cancel:
        case Platform::Answer::Ok:
            break;
        }
    }
    return recovered;
}

void YaoshiApp::start(const StartRequest &request)
{
    // A recovered calculation is shown at once, over the launcher, and no document replaces it.
    const bool recovered = offerRecoveries();
    if (recovered && request.isPlainStart()) {
        m_launcher.show();
        m_calculator.load();
        return;
    }
    if (!request.isPlainStart()) {
        m_launcher.show();
        if (request.calculator || !request.document.isEmpty())
            m_calculator.load();
        if (!request.document.isEmpty() && !recovered)
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
