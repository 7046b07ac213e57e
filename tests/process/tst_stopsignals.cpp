// Stop signals reach the event loop as a Qt signal, one for each, and get their earlier action
// back when the catcher goes.
#include "process/stopsignals.h"

#include <QtTest>

#include <csignal>

using eb::StopSignals;

class TestStopSignals : public QObject {
    Q_OBJECT
private slots:
    void eachStopSignalIsDelivered_data() {
        QTest::addColumn<int>("sig");
        for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2})
            QTest::addRow("%s", strsignal(sig)) << sig;
    }
    void eachStopSignalIsDelivered() {
        QFETCH(int, sig);
        struct sigaction before {};
        QCOMPARE(::sigaction(sig, nullptr, &before), 0);
        {
            StopSignals stops;
            QSignalSpy spy(&stops, &StopSignals::received);
            // Raised before the event loop runs: kept until it does, and twice means twice.
            QCOMPARE(::raise(sig), 0);
            QCOMPARE(::raise(sig), 0);
            QTRY_COMPARE(spy.count(), 2);
            QCOMPARE(spy.at(0).at(0).toInt(), sig);
        }
        struct sigaction now {};
        QCOMPARE(::sigaction(sig, nullptr, &now), 0);
        QVERIFY(now.sa_handler == before.sa_handler);
    }

    void aSecondCatcherCatchesAfterTheFirstWent() {
        { StopSignals first; }
        StopSignals second;
        QSignalSpy spy(&second, &StopSignals::received);
        QCOMPARE(::raise(SIGUSR1), 0);
        QTRY_COMPARE(spy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
