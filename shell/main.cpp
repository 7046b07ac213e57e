// echobatch: the window.
#include "engine/processsetup.h"
#include "shell/form1.h"

#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    eb::PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    eb::Form1Startup startup;
    // A run driven by a test harness (which logs every box) never opens a browser.
    if (qEnvironmentVariableIsEmpty("ECHOBATCH_UI_LOG"))
        startup.homePageDraw = eb::RealHomePageDraw();
    eb::Form1 form(startup);
    // First shown centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        form.move(area.center() - form.rect().center());
    }
    form.show();
    return QApplication::exec();
}
