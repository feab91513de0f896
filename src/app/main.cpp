#include "calculator/calculatorwindow.h"
#include "help/helpwindow.h"
#include "platform/qtplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    HelpWindow help;
    CalculatorWindow calculator(platform, help, Calculator::defaultStepFolder());
    calculator.load();
    return app.exec();
}
