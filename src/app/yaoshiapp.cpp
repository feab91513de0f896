#include "yaoshiapp.h"

YaoshiApp::YaoshiApp(Platform &platform, const QString &stepFolder)
    : m_calculator(platform, m_help, stepFolder),
      m_plotter(platform, [this] { m_calculator.load(); }),
      m_launcher({[this] { m_calculator.load(); }, [this] { m_plotter.load(); },
                  [this] { m_help.load(); }}),
      m_splash([this] { m_launcher.show(); })
{
}

void YaoshiApp::start()
{
    m_splash.show();
}
