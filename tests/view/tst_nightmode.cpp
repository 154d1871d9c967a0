// Night mode in the program: the View menu item (and its key, from another
// window) switches the main window and the other windows, a window made
// later comes up dark, nothing bright is left on them, and the choice goes
// through the profile to the next start.

#include "../util/Engage.h"
#include "FakeSerialPort.h"
#include "NightMode.h"
#include "frmDiagram.h"
#include "frmMain.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestNightMode : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_window;

    QString Profile() const { return m_dir.filePath(QStringLiteral("Vanehold.ini")); }
    frmMain& Open()
    {
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = Profile();
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        return *m_window;
    }
    QAction* Item(const char* name) { return m_window->findChild<QAction*>(QLatin1String(name)); }
    // Green or blue at their strongest anywhere on the window.
    static int Brightest(QWidget& window)
    {
        const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int most = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                most = std::max({most, qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))});
        return most;
    }

private slots:
    void cleanup()
    {
        m_window.reset();
        NightMode::Apply(false);
        QFile::remove(Profile());
    }

    void menuSwitchesEveryWindow()
    {
        frmMain& w = Open();
        QWidget& options = w.Options();
        QWidget& polar = w.PolarWindow();
        w.show();
        options.show();
        polar.show();
        const QPalette mainDay = w.palette();
        const QImage polarDay = polar.grab().toImage();
        QVERIFY(Brightest(w) > 200);
        QVERIFY(QTest::qWaitForWindowActive(&polar));
        QTest::keyClick(&polar, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        // The new palette reaches the widgets through the event loop.
        QCoreApplication::processEvents();
        QVERIFY(Item("mnuViewNight")->isChecked());
        for (QWidget* window : {static_cast<QWidget*>(&w), &options, &polar, static_cast<QWidget*>(&w.Diagram())}) {
            const QColor back = window->palette().color(QPalette::Window);
            const QColor text = window->palette().color(QPalette::WindowText);
            QVERIFY2(back.red() < 32 && text.red() > 100 && back.green() + back.blue() + text.green() + text.blue() == 0,
                     qPrintable(window->objectName()));
        }
        QCOMPARE(Brightest(w), 0);
        QCOMPARE(Brightest(polar), 0);
        QCOMPARE(Brightest(options), 0);
        // The History chart, open or made later, draws at night too.
        QVERIFY(w.HistoryWindow().Chart().nightMode());
        // The heading commanded in Track sits in a disabled box: as bright
        // as any value, unlike a disabled caption.
        const auto disabledText = [&](const char* name) {
            return w.findChild<QWidget*>(QLatin1String(name))->palette().color(QPalette::Disabled, QPalette::Text);
        };
        QCOMPARE(disabledText("txtAutoPilot"), w.palette().color(QPalette::Active, QPalette::Text));
        QVERIFY(w.palette().color(QPalette::Disabled, QPalette::WindowText).red() < 100);

        Item("mnuViewNight")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(disabledText("txtAutoPilot"), mainDay.color(QPalette::Disabled, QPalette::Text));
        QCOMPARE(w.palette(), mainDay);
        QCOMPARE(polar.grab().toImage(), polarDay);
        QVERIFY(!w.HistoryWindow().Chart().nightMode());
    }

    void profileRoundTrip_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("switched on") << true;
        QTest::newRow("switched off") << false;
    }

    void profileRoundTrip()
    {
        QFETCH(bool, on);
        QFile file(Profile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(on ? "[Display]\nNight Mode=False\n" : "[Display]\nNight Mode=True\n");
        file.close();
        Open();
        QCOMPARE(NightMode::Active(), !on);
        Item("mnuViewNight")->trigger();
        // Going back to the default settings keeps what the eyes need.
        Item("mnuFileDefault")->trigger();
        QCOMPARE(m_window->Core().Settings().m_bNightMode, on);
        QVERIFY(m_window->close());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(on ? "[Display]\nNight Mode=True\n" : "[Display]\nNight Mode=False\n"));
        file.close();

        m_window.reset();
        NightMode::Apply(false);
        Open();
        QCOMPARE(NightMode::Active(), on);
        QCOMPARE(Item("mnuViewNight")->isChecked(), on);
    }
};

QTEST_MAIN(TestNightMode)
#include "tst_nightmode.moc"
