// The block diagram and About windows, and how the main window's menus and
// the diagram's buttons open them.

#include "../util/Engage.h"
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
        setup.Choose = SteerTheBox;
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

    // The diagram's buttons open their tab near the button, the menu's items
    // theirs centred.
    void optionsOpenOnTheirTab_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("tab");
        QTest::newRow("Input button") << "cmdInput" << 0;
        QTest::newRow("Control Loop button") << "cmdControl" << 1;
        QTest::newRow("Output button") << "cmdOutput" << 2;
        QTest::newRow("Input item") << "mnuOptionsInput" << 0;
        QTest::newRow("Tracking item") << "mnuOptionsTrack" << 3;
        QTest::newRow("Simulate item") << "mnuOptionsSimulate" << 4;
    }
    void optionsOpenOnTheirTab()
    {
        QFETCH(QString, control);
        frmMain& w = Main();
        const QRect screen = w.screen()->geometry();
        if (control.startsWith(QLatin1String("cmd"))) {
            w.findChild<QAction*>(QStringLiteral("mnuViewDiagram"))->trigger();
            w.Diagram().findChild<QPushButton*>(control)->click();
            QVERIFY(screen.contains(w.Options().frameGeometry()));
        } else {
            w.findChild<QAction*>(control)->trigger();
            QCOMPARE(w.Options().frameGeometry().center().x() / 2, screen.center().x() / 2);
        }
        QVERIFY(w.Options().isVisible());
        QTEST(w.Options().findChild<QTabWidget*>(QStringLiteral("SSTab"))->currentIndex(), "tab");
    }

    // History: the window first, then, while it is open, its chart's
    // configuration menu instead of a second window. Each window is ticked
    // in the View menu.
    void diagramButtonsOpenTheWindows()
    {
        frmMain& w = Main();
        auto item = [&w](const char* name) { return w.findChild<QAction*>(QLatin1String(name)); };
        auto button = [&w](const char* name) { return w.Diagram().findChild<QPushButton*>(QLatin1String(name)); };
        item("mnuViewDiagram")->trigger();
        QVERIFY(w.Diagram().isVisible() && item("mnuViewDiagram")->isChecked());
        button("cmdHistory")->click();
        QVERIFY(w.HistoryWindow().isVisible() && item("mnuViewHistory")->isChecked());
        button("cmdHistory")->click();
        auto* menu = w.HistoryWindow().findChild<QMenu*>(QStringLiteral("popMenu"));
        QVERIFY(menu && menu->isVisible());
        menu->close();
        button("cmdPolar")->click();
        QVERIFY(w.PolarWindow().isVisible() && item("mnuViewPolar")->isChecked());
        w.Diagram().close();
        QVERIFY(!item("mnuViewDiagram")->isChecked());
    }

    void about()
    {
        frmMain& w = Main();
        w.findChild<QAction*>(QStringLiteral("mnuHelpAbout"))->trigger();
        QVERIFY(w.About().isVisible());
        QCOMPARE(w.About().windowTitle(), QStringLiteral("About ") + QCoreApplication::applicationName());
        QCOMPARE(w.About().findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QCoreApplication::applicationName());
        // The wording users know from the boat's papers, to the blank.
        QCOMPARE(w.About().findChild<QLabel*>(QStringLiteral("lblDescription"))->text(),
                 QStringLiteral("Version 2.1\n\nControl Loop for Tracking Apparent or True Wind Angle.\n"
                                "         a) Input - NMEA 1984 Wind & Speed Instruments\n"
                                "         b) Output - NMEA 1984 AutoPilot"));
    }
};

QTEST_MAIN(TestDiagram)
#include "tst_frmdiagram.moc"
