#include "yaoshiapp.h"

YaoshiApp::YaoshiApp(Platform &platform, const QString &stepFolder)
    : m_calculator(platform, m_help, stepFolder),
      m_plotter(platform, [this] { m_calculator.load(); }),
      m_launcher({[this] { m_calculator.load(); }, [this] { m_plotter.load(); },
                  [this] { m_help.load(); }})
{
}

void YaoshiApp::start()
{
    // Shown once: closing it deletes it, and with it a backing store the size of the screen.
    m_splash = new SplashWindow([this] { m_launcher.show(); });
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->show();
}
