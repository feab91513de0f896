#include "calculator/calculatorwindow.h"
#include "help/helpwindow.h"
#include "platform/qtplatform.h"
#include "plotter/plotterwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    HelpWindow help;
    CalculatorWindow calculator(platform, help, Calculator::defaultStepFolder());
    PlotterWindow plotter(platform, [&calculator] { calculator.load(); });
    calculator.load();
    plotter.load();
    return app.exec();
}
