// echobatch: the window.
#include "core/usertext.h"
#include "process/processsetup.h"
#include "process/stopsignals.h"
#include "shell/form1.h"

#include <QApplication>
#include <QScreen>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    eb::PrepareProcess();
    // Without a session bus (over SSH, in a container) D-Bus would start one of its own for the
    // window, which outlives it: the address is set to one that starts nothing, only when unset.
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QApplication app(argc, argv);
    eb::InstallTranslations();
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
    // A stop signal (a session that ends, Ctrl+C in the terminal, kill) closes the window as
    // the user would: a running batch is stopped and its unfinished output and tool folder
    // removed, the preview's files go with it. Open boxes are ended too. Exit status 128 + N.
    eb::StopSignals stops;
    int stoppedBy = 0;
    QObject::connect(&stops, &eb::StopSignals::received, &form, [&form, &stoppedBy](int sig) {
        if (stoppedBy != 0)
            return;
        stoppedBy = sig;
        form.close();
        QCoreApplication::exit(128 + sig);
    });
    const int status = QApplication::exec();
    return stoppedBy != 0 ? 128 + stoppedBy : status;
}
