// The History window on a fake chart clock, in the program: what it declares
// and restores, what it hands the chart, its profile keys, its size rule,
// and how the program makes, shows and remembers it.
#include "../util/Engage.h"
#include "FakeChartClock.h"
#include "FakeSerialPort.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QAction* Entry(TrendScope& chart, const QString& name, int index = 0)
{
    for (QAction* a : chart.findChildren<QAction*>(name))
        if (a->data().toInt() == index)
            return a;
    return nullptr;
}

// Place, then what the chart's profile keeps, as one text.
QString Configuration(frmHistory& w)
{
    const TrendScope& c = w.Chart();
    auto n = [](double v) { return QString::number(v, 'g', 10); };
    QStringList out{n(w.x()), n(w.y()), n(w.width()), n(w.height()), n(c.GetNumberOfTraces()), n(c.GetTimeSpan()),
                    n(c.BackColor()), n(c.ForeColor()), c.FontName(), n(c.FontSize()), n(c.FontItalic())};
    for (int16_t k = 1; k <= c.GetNumberOfTraces(); ++k)
        out << ";" + c.GetTraceName(k) << n(c.GetTraceColor(k)) << n(c.GetTraceBackColor(k)) << n(c.GetTraceRange(k))
            << n(c.GetTraceStyle(k));
    return out.join(' ');
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeChartClock m_clock;
    QStringList m_messages;
    std::unique_ptr<frmMain> m_window;

    QString Profile() const { return m_dir->filePath(QStringLiteral("Vanehold.ini")); }
    QByteArray Saved() const
    {
        QFile file(Profile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    frmMain& Open(int32_t memorySize = 8640)
    {
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = Profile();
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        setup.History.Clock = &m_clock;
        setup.History.MemorySize = memorySize;
        setup.History.MessageBox = [this](QWidget*, const QString& title, const QString& text) {
            m_messages << title + QLatin1Char('|') + text;
        };
        m_window.reset();
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        return *m_window;
    }
    QAction* Item() { return m_window->findChild<QAction*>(QStringLiteral("mnuViewHistory")); }
    static frmHistory* Made()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* history = qobject_cast<frmHistory*>(w))
                return history;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        // Back colour 0xC8D0D4 = 13160660 for the window and its traces.
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, QColor(0xD4, 0xD0, 0xC8));
        QApplication::setPalette(palette);
        QCOMPARE(QApplication::primaryScreen()->logicalDotsPerInchY(), 96.0);
    }
    void init() { m_dir = std::make_unique<QTemporaryDir>(), m_messages.clear(); }
    void cleanup() { m_window.reset(), m_dir.reset(); }

    void restoresFromTheProfile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("configuration");
        // 4000 twips are 266.7 pixels at 96 dots per inch.
        const QString first = "0 0 267 267 3 1800 13160660 0 MS Sans Serif 8 0 ;True Wind Speed 0 13160660 0 0 "
                              ";True Wind Angle 0 13160660 2 0 ;Boat Speed 0 13160660 0 0";
        QTest::newRow("first start") << QByteArray() << first;
        QTest::newRow("five traces")
            << QByteArray("[History Trace]\nNumber of Traces= 5\nTime Span= 3600\n[History Trace #4]\nName=Heading\n"
                          "Color= 255\n[History Trace #5]\nName=Pilot Delta\nRange= 1\nStyle= 1\n")
            << QString(first).replace(" 3 1800 ", " 5 3600 ")
                   + " ;Heading 255 14737632 2 0 ;Pilot Delta 0 14737632 1 1";
        QTest::newRow("place") << QByteArray("[History Window]\nTop= 150\nLeft=300\nHeight= 4500\nWidth=6000.5\n")
                               << QString(first).replace("0 0 267 267", "20 10 400 300");
        QTest::newRow("no size") << QByteArray("[History Window]\nHeight=0\nWidth=wide\nTop=-75\n")
                                 << QString(first).replace("0 0 267", "0 -5 267");
    }
    void restoresFromTheProfile()
    {
        QFETCH(QByteArray, file);
        QFile write(Profile());
        QVERIFY(write.open(QIODevice::WriteOnly) && write.write(file) == file.size() && write.flush());
        frmHistory& w = Open().HistoryWindow();
        QTEST(Configuration(w), "configuration");
        QVERIFY(m_messages.isEmpty());
    }

    void readingWithOneDecimalAndUnits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("text");
        QTest::newRow("heading") << "Heading" << 12.345f << "M" << "12.3 M";
        QTest::newRow("negative, other units") << "True Wind Angle" << -35.96f << "T" << "-36.0 T";
    }
    void readingWithOneDecimalAndUnits()
    {
        QFETCH(QString, name);
        QFETCH(float, value);
        QFETCH(QString, units);
        QFETCH(QString, text);
        frmHistory& w = Open().HistoryWindow();
        frmHistory typed(m_window->Core().ProfileFile(), {&m_clock, {}, 8640});
        typed.Form_Load();
        for (frmHistory* window : {&w, &typed}) {
            window->Chart().SetTraceName(1, name);
            window->show();
        }
        m_clock.AdvanceSeconds(1);
        const QImage before = w.Chart().grab().toImage();
        w.SetValue(name, value, units);
        typed.Chart().SetValue(name, text);
        QVERIFY(w.Chart().grab().toImage() != before);
        QCOMPARE(w.Chart().grab().toImage(), typed.Chart().grab().toImage());
    }

    void roundTripThroughTheMenu()
    {
        frmHistory& w = Open().HistoryWindow();
        w.show();
        w.move(20, 10);
        w.resize(400, 300);
        // 30 twips in from the top left, inside the window; not while
        // minimized.
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 398, 298));
        w.showMinimized();
        w.resize(500, 400);
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 398, 298));
        w.showNormal();
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 498, 398));
        TrendScope& c = w.Chart();
        c.SetColorDialog([](const QColor&, QWidget*) { return QColor(1, 2, 3); });
        for (auto [name, index] : {std::pair{"popTraceNumber", 5}, {"popTraceLabel4", 1}, {"popTraceLabel5", 7},
                                   {"popTraceRange5Line", 1}, {"popTraceStyle2Line", 1}, {"popTraceColor1Line", 1},
                                   {"popTraceColor3Line", 0}, {"popFontColor", 0}, {"popTimeSpanHours", 4}})
            Entry(c, name, index)->trigger();
        const QString configured = Configuration(w);
        QVERIFY(w.close());
        QVERIFY(Saved().startsWith("[History Window]\nTop= 150\nLeft= 300\nHeight= 6000\nWidth= 7500\n"
                                   "[History Trace]\nNumber of Traces= 5\n"));
        frmHistory again(m_window->Core().ProfileFile(), {&m_clock, {}, 8640});
        again.Form_Load();
        QCOMPARE(Configuration(again), configured);
    }

    void chartWithoutMemoryIsReported()
    {
        // Ten values of 30 million samples: beyond what the chart takes.
        frmHistory& w = Open(30000000).HistoryWindow();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith("Vanehold - History|The History chart could not get the memory"));
        QCOMPARE(w.Chart().GetNumberOfTraces(), int16_t(3));
    }

    void madeByReadingsShownAndRemembered()
    {
        frmMain& w = Open();
        w.findChild<QAction*>("tbrTrack_5")->trigger();
        w.Core().findChild<FakeSerialPort*>("MSCommNmea")->feed("$IIVTG,,T,050.0,M,6.0,N,,K\r\n"
                                                                 "$IIMWV,045,R,10.5,N,A\r\n");
        // Made outside the receive path; the readings wait for it: the
        // autopilot heading came as "... deg" where "Deg" is declared.
        QVERIFY(!Made());
        QApplication::processEvents();
        QVERIFY(Made() && !Made()->isVisible());
        QString name, units;
        int16_t type = 0;
        Made()->Chart().GetValueOptions(7, name, type, units);
        QCOMPARE(name + ' ' + units, QStringLiteral("Pilot Heading deg"));
        Item()->trigger();
        QVERIFY(Made()->isVisible() && Item()->isChecked());
        Item()->trigger(); // clicked again while open: still open and ticked
        QVERIFY(Made()->isVisible() && Item()->isChecked());
        QVERIFY(w.close());
        QVERIFY(Saved().contains("[History Window]\nVisible=True\nTop= "));

        frmHistory& again = Open().HistoryWindow();
        QVERIFY(again.isVisible() && Item()->isChecked());
        again.ConfigurePopup();
        QVERIFY(again.Chart().findChild<QMenu*>("popMenu")->isVisible());
        QAction* hide = Entry(again.Chart(), "popHide");
        QVERIFY(hide->isVisible());
        hide->trigger();
        QVERIFY(!again.isVisible() && !Item()->isChecked());
        QVERIFY(m_window->close());
        QVERIFY(Saved().contains("[History Window]\nVisible=False\n"));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_frmhistory.moc"
