#pragma once

#include "calculator/window/calculatorwindow.h"
#include "commandline.h"
#include "help/helpwindow.h"
#include "launcherwindow.h"
#include "platform/qtplatform.h"
#include "plotter/window/plotterwindow.h"
#include "quitkeeper.h"
#include "splashwindow.h"

#include <QPointer>

// The program's windows, one object each for the whole run, and the way they hand over to each
// other: the splash to the launcher, the launcher to the tools, the plotter back to the
// calculator.
class YaoshiApp
{
public:
    YaoshiApp(Platform &platform, const QString &stepFolder);
    // Where the calculator keeps its steps: the user's cache, or empty when there is none.
    static QString defaultStepFolder();
    ~YaoshiApp() { delete m_splash; }
    YaoshiApp(const YaoshiApp &) = delete;
    YaoshiApp &operator=(const YaoshiApp &) = delete;

    // Shows the splash; or, when the command line asks for a tool or a document, the launcher
    // with that tool over it at once.
    void start(const StartRequest &request = {});

    // The splash, until it has closed and gone.
    SplashWindow *splash() { return m_splash; }
    LauncherWindow &launcher() { return m_launcher; }
    CalculatorWindow &calculator() { return m_calculator; }
    PlotterWindow &plotter() { return m_plotter; }
    HelpWindow &help() { return m_help; }

private:
    WindowOpeners openers();
    // Asks about each calculation that a copy which ended left unsaved; true when one was
    // taken into the calculator.
    bool offerRecoveries();
    WindowOpeners calculatorOpeners();

    Platform &m_platform;
    QString m_stepFolder;
    HelpWindow m_help;
    CalculatorWindow m_calculator;
    PlotterWindow m_plotter;
    LauncherWindow m_launcher;
    QPointer<SplashWindow> m_splash;
    QuitKeeper m_quitKeeper;
};
