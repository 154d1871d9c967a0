// The block diagram and About windows, and how the main window's menus and
// the diagram's buttons open them.

#include "FakeSerialPort.h"
#include "frmAbout.h"
#include "frmDiagram.h"
#include "frmMain.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QMenu>
#include <QTest>

#include <memory>

class TestDiagram : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_main;

    frmMain& Main()
    {
        MainWindowSetup setup;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = m_dir->filePath(QStringLiteral("Vanehold.ini"));
        setup.Options.SerialDevices = [] { return QStringList(); };
        m_main = std::make_unique<frmMain>(setup);
        m_main->Form_Load();
        m_main->show();
        return *m_main;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_main.reset();
        m_dir.reset();
    }

    void showNearKeepsTheWindowOnScreen_data()
    {
        QTest::addColumn<bool>("rightEdge");
        QTest::addColumn<bool>("bottomEdge");
        QTest::newRow("room to the right and below") << false << false;
        QTest::newRow("at the right edge") << true << false;
        QTest::newRow("at the bottom edge") << false << true;
    }
    void showNearKeepsTheWindowOnScreen()
    {
        QFETCH(bool, rightEdge);
        QFETCH(bool, bottomEdge);
        frmDiagram diagram;
        const QRect screen = diagram.screen()->geometry();
        diagram.move(rightEdge ? screen.right() + 1 - diagram.width() : 0,
                     bottomEdge ? screen.bottom() + 1 - diagram.height() : 0);
        diagram.show();
        QWidget window;
        window.resize(300, 200);
        auto* button = diagram.findChild<QPushButton*>(QStringLiteral("cmdOutput"));
        frmDiagram::ShowNear(button, &window);
        QVERIFY(window.isVisible());
        const QPoint under = button->mapToGlobal(QPoint(button->width() / 2, button->height()));
        const QRect placed = window.frameGeometry();
        QCOMPARE(placed.left(), rightEdge ? screen.right() + 1 - placed.width() : under.x());
        QCOMPARE(placed.top(), bottomEdge ? screen.bottom() + 1 - placed.height() : under.y());
        QVERIFY(screen.contains(placed));
    }

    void buttonsOpenTheirOptionsTab_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("tab");
        QTest::newRow("Input") << "cmdInput" << 0;
        QTest::newRow("Control Loop") << "cmdControl" << 1;
        QTest::newRow("Output") << "cmdOutput" << 2;
    }
    void buttonsOpenTheirOptionsTab()
    {
        QFETCH(QString, button);
        QFETCH(int, tab);
        frmMain& w = Main();
        w.findChild<QAction*>(QStringLiteral("mnuViewDiagram"))->trigger();
        QVERIFY(w.Diagram().isVisible());
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuViewDiagram"))->isChecked());
        auto* pressed = w.Diagram().findChild<QPushButton*>(button);
        pressed->click();
        QVERIFY(w.Options().isVisible());
        QCOMPARE(w.Options().findChild<QTabWidget*>(QStringLiteral("SSTab"))->currentIndex(), tab);
        QVERIFY(w.screen()->geometry().contains(w.Options().frameGeometry()));
        // History: the window first, then, while it is open, its chart's
        // configuration menu instead of a second window.
        auto* history = w.Diagram().findChild<QPushButton*>(QStringLiteral("cmdHistory"));
        history->click();
        QVERIFY(w.HistoryWindow().isVisible());
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuViewHistory"))->isChecked());
        history->click();
        auto* menu = w.HistoryWindow().findChild<QMenu*>(QStringLiteral("popMenu"));
        QVERIFY(menu && menu->isVisible());
        menu->close();
        w.Diagram().findChild<QPushButton*>(QStringLiteral("cmdPolar"))->click();
        QVERIFY(w.PolarWindow().isVisible());
        QVERIFY(w.findChild<QAction*>(QStringLiteral("mnuViewPolar"))->isChecked());
        w.Diagram().close();
        QVERIFY(!w.findChild<QAction*>(QStringLiteral("mnuViewDiagram"))->isChecked());
    }

    void optionsMenuOpensItsTabCentred_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("tab");
        QTest::newRow("Input") << "mnuOptionsInput" << 0;
        QTest::newRow("Tracking") << "mnuOptionsTrack" << 3;
        QTest::newRow("Simulate") << "mnuOptionsSimulate" << 4;
    }
    void optionsMenuOpensItsTabCentred()
    {
        QFETCH(QString, item);
        QFETCH(int, tab);
        frmMain& w = Main();
        w.findChild<QAction*>(item)->trigger();
        QVERIFY(w.Options().isVisible());
        QCOMPARE(w.Options().findChild<QTabWidget*>(QStringLiteral("SSTab"))->currentIndex(), tab);
        const QRect screen = w.screen()->geometry();
        QCOMPARE(w.Options().frameGeometry().center().x() / 2, screen.center().x() / 2);
    }

    void about()
    {
        frmMain& w = Main();
        w.findChild<QAction*>(QStringLiteral("mnuHelpAbout"))->trigger();
        QVERIFY(w.About().isVisible());
        QCOMPARE(w.About().windowTitle(), QStringLiteral("About ") + QCoreApplication::applicationName());
        auto text = [&w](const char* name) { return w.About().findChild<QLabel*>(QLatin1String(name))->text(); };
        QCOMPARE(text("lblTitle"), QCoreApplication::applicationName());
        QCOMPARE(text("lblDescription"),
                 QStringLiteral("Version 2.1\n\nControl Loop for Tracking Apparent or True Wind Angle.\n"
                                "         a) Input - NMEA 1984 Wind & Speed Instruments\n"
                                "         b) Output - NMEA 1984 AutoPilot"));
        QVERIFY(!text("lblDisclaimer").isEmpty());
    }
};

QTEST_MAIN(TestDiagram)
#include "tst_frmdiagram.moc"
