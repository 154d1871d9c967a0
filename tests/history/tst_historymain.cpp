// The History window in the program: made by the first readings and
// recording while hidden, opened from the View menu, shown again at start.
#include "FakeSerialPort.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestHistoryInProgram : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;

    QString Profile() const { return m_dir->filePath(QStringLiteral("Vanehold.ini")); }
    QByteArray Saved() const
    {
        QFile file(Profile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    frmMain& Open()
    {
        MainWindowSetup setup;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = Profile();
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        m_window.reset();
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        return *m_window;
    }
    QAction* Item(const char* name) { return m_window->findChild<QAction*>(QLatin1String(name)); }
    static frmHistory* Made()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* history = qobject_cast<frmHistory*>(w))
                return history;
        return nullptr;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    void historyWindowIsRemembered()
    {
        frmMain& w = Open();
        Item("tbrTrack_5")->trigger();
        auto& nmea = *w.Core().findChild<FakeSerialPort*>(QStringLiteral("MSCommNmea"));
        nmea.feed(QStringLiteral("$IIVTG,,T,050.0,M,6.0,N,,K\r\n$IIMWV,045,R,10.5,N,A\r\n"));
        // Not made inside the receive path, but the readings wait for it:
        // the autopilot heading came as "... deg" where "Deg" is declared.
        QVERIFY(!Made());
        QApplication::processEvents();
        frmHistory* history = Made();
        QVERIFY(history && !history->isVisible());
        QString name, units;
        int16_t type = 0;
        history->Chart().GetValueOptions(7, name, type, units);
        QCOMPARE(name + ' ' + units, QStringLiteral("Pilot Heading deg"));

        QAction* item = Item("mnuViewHistory");
        item->trigger();
        QVERIFY(history->isVisible());
        QVERIFY(item->isChecked());
        item->trigger(); // clicked again while open: still open, still ticked
        QVERIFY(item->isChecked());
        QVERIFY(w.close());
        QVERIFY(Saved().contains("[History Window]\nVisible=True\nTop= "));

        frmMain& again = Open();
        QVERIFY(again.HistoryWindow().isVisible());
        QVERIFY(Item("mnuViewHistory")->isChecked());
        for (QAction* hide : again.HistoryWindow().Chart().findChildren<QAction*>("popHide"))
            hide->trigger();
        QVERIFY(!again.HistoryWindow().isVisible());
        QVERIFY(!Item("mnuViewHistory")->isChecked());
        QVERIFY(again.close());
        QVERIFY(Saved().contains("[History Window]\nVisible=False\n"));
    }
};

QTEST_MAIN(TestHistoryInProgram)
#include "tst_historymain.moc"
