#include "TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestTerminationSignals : public QObject {
    Q_OBJECT
private slots:
    void signalArrivesOnTheEventLoop()
    {
        TerminationSignals watcher;
        QVERIFY(watcher.Installed());
        TerminationSignals second;
        QVERIFY(!second.Installed());

        QSignalSpy spy(&watcher, &TerminationSignals::Requested);
        std::raise(SIGTERM);
        // Nothing runs inside the handler: the request waits for the loop.
        QCOMPARE(spy.count(), 0);
        QVERIFY(spy.wait());
        QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
