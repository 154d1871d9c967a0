// The History window on a fake chart clock: what it declares and restores,
// what it hands the chart, its profile keys, its size rule and its menu.
#include "FakeChartClock.h"
#include "FakeSerialPort.h"
#include "frmHistory.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QAction* Entry(TrendScope& chart, const QString& name, int index)
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
    QStringList out{n(w.x()),        n(w.y()),           n(w.width()),     n(w.height()),
                    n(c.GetNumberOfTraces()), n(c.GetTimeSpan()), n(c.BackColor()), n(c.ForeColor()),
                    c.FontName(),    n(c.FontSize()),    n(c.FontItalic())};
    for (int16_t k = 1; k <= c.GetNumberOfTraces(); ++k) {
        int16_t scale = 0;
        double top = 0, bottom = 0;
        c.GetTraceScale(k, scale, top, bottom);
        out << ";" + c.GetTraceName(k) << n(c.GetTraceColor(k)) << n(c.GetTraceBackColor(k)) << n(c.GetTraceRange(k))
            << n(c.GetTraceStyle(k)) << n(scale) << n(top) << n(bottom);
    }
    return out.join(' ');
}

QImage Picture(frmHistory& w)
{
    return w.Chart().grab().toImage();
}

// The window's back colour set below, 0xC8D0D4, and the chart's default
// trace back colour.
const char* const kBack = "13160660";
const char* const kGrey = "14737632";

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SteeringCore> m_core;
    FakeChartClock m_clock;
    QStringList m_messages;
    std::vector<std::unique_ptr<frmHistory>> m_windows;

    QString Profile() const { return m_core->ProfileFile(); }

    frmHistory& Open(int32_t memorySize = 8640)
    {
        HistoryWindowSetup setup;
        setup.Clock = &m_clock;
        setup.MemorySize = memorySize;
        setup.MessageBox = [this](QWidget*, const QString& title, const QString& text) {
            m_messages << title + QLatin1Char('|') + text;
        };
        m_windows.push_back(std::make_unique<frmHistory>(*m_core, setup));
        m_windows.back()->Form_Load();
        return *m_windows.back();
    }

private slots:
    void initTestCase()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, QColor(0xD4, 0xD0, 0xC8));
        QApplication::setPalette(palette);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        CoreSetup setup;
        setup.ManualTimers = true;
        setup.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.ProfileFile = m_dir->filePath(QStringLiteral("Vanehold.ini"));
        m_core = std::make_unique<SteeringCore>(setup);
        m_core->ProfileInitialize(false);
        m_messages.clear();
    }

    void cleanup()
    {
        m_windows.clear();
        m_core.reset();
        m_dir.reset();
    }

    void restoresFromTheProfile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("configuration");
        // 4000 twips are 266.7 pixels at 96 dots per inch.
        const QString first = QStringLiteral("0 0 267 267 3 1800 %1 0 MS Sans Serif 8 0 ;True Wind Speed 0 %1 0 0 0 0 0 "
                                             ";True Wind Angle 0 %1 2 0 0 0 0 ;Boat Speed 0 %1 0 0 0 0 0")
                                  .arg(kBack);
        QTest::newRow("first start") << QByteArray() << first;
        QTest::newRow("five traces")
            << QByteArray("[History Trace]\nNumber of Traces= 5\nTime Span= 3600\n[History Trace #4]\nName=Heading\n"
                          "Color= 255\n[History Trace #5]\nName=Pilot Delta\nRange= 1\nStyle= 1\n")
            << QString(first).replace(" 1800 ", " 3600 ").replace(" 3 3600", " 5 3600")
                   + QStringLiteral(" ;Heading 255 %1 2 0 0 0 0 ;Pilot Delta 0 %1 1 1 0 0 0").arg(kGrey);
        QTest::newRow("place") << QByteArray("[History Window]\nTop= 150\nLeft=300\nHeight= 4500\nWidth=6000.5\n")
                               << QString(first).replace("0 0 267 267", "20 10 400 300");
        QTest::newRow("no size") << QByteArray("[History Window]\nHeight=0\nWidth=wide\nTop=-75\n")
                                 << QString(first).replace("0 0 267", "0 -5 267");
    }

    void restoresFromTheProfile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, configuration);
        QCOMPARE(m_core->ProfileFile(), m_dir->filePath("Vanehold.ini"));
        if (!file.isEmpty()) {
            QFile write(Profile());
            QVERIFY(write.open(QIODevice::WriteOnly) && write.write(file) == file.size());
        }
        QCOMPARE(QApplication::primaryScreen()->logicalDotsPerInchY(), 96.0);
        frmHistory& w = Open();
        QCOMPARE(w.windowTitle(), QStringLiteral("Vanehold - History"));
        QCOMPARE(Configuration(w), configuration);
        QVERIFY(w.Chart().FontBold());
        QVERIFY(!w.isVisible());
        QVERIFY(m_messages.isEmpty());
    }

    void readingWithOneDecimalAndUnits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("text");
        QTest::newRow("heading") << "Heading" << 12.345f << "M" << "12.3 M";
        QTest::newRow("half away from zero") << "Boat Speed" << 6.25f << "Kts" << "6.3 Kts";
        QTest::newRow("negative") << "True Wind Angle" << -35.96f << "R" << "-36.0 R";
        QTest::newRow("other units") << "App Wind Speed" << 0.04f << "m/s" << "0.0 m/s";
    }

    void readingWithOneDecimalAndUnits()
    {
        QFETCH(QString, name);
        QFETCH(float, value);
        QFETCH(QString, units);
        QFETCH(QString, text);
        frmHistory& w = Open();
        frmHistory& typed = Open();
        for (frmHistory* window : {&w, &typed}) {
            window->Chart().SetTraceName(1, name);
            window->show();
        }
        m_clock.AdvanceSeconds(1);
        const QImage before = Picture(w);
        w.SetValue(name, value, units);
        typed.Chart().SetValue(name, text);
        QVERIFY(Picture(w) != before);
        QCOMPARE(Picture(w), Picture(typed));
    }

    void roundTripThroughTheMenu()
    {
        frmHistory& w = Open();
        w.show();
        w.move(20, 10);
        w.resize(400, 300);
        TrendScope& c = w.Chart();
        QColor answer;
        c.SetColorDialog([&answer](const QColor&, QWidget*) { return answer; });
        c.SetFontDialog([](QFont& font, QWidget*) {
            font = QFont("DejaVu Serif");
            font.setPointSizeF(9.75);
            font.setItalic(true);
            return true;
        });
        Entry(c, "popTraceNumber", 5)->trigger();
        Entry(c, "popTraceLabel4", 1)->trigger();
        Entry(c, "popTraceLabel5", 7)->trigger();
        Entry(c, "popTraceRange5Line", 1)->trigger();
        Entry(c, "popTraceStyle2Line", 1)->trigger();
        answer = QColor(1, 2, 3);
        Entry(c, "popTraceColor1Line", 1)->trigger();
        answer = QColor(200, 220, 240);
        Entry(c, "popTraceColor3Line", 0)->trigger();
        answer = QColor(240, 240, 200);
        Entry(c, "popBackColor", 0)->trigger();
        answer = QColor(0, 0, 128);
        Entry(c, "popFontColor", 0)->trigger();
        Entry(c, "popFontType", 0)->trigger();
        Entry(c, "popTimeSpanHours", 4)->trigger();
        Entry(c, "popTraceScale1Line", 1)->trigger();
        auto* dialog = c.findChild<QDialog*>("frmMaxMin");
        dialog->findChild<QLineEdit*>("txtMax")->setText("35.5");
        dialog->findChild<QLineEdit*>("txtMin")->setText("-0.125");
        dialog->close();
        const QString configured = Configuration(w);
        QCOMPARE(configured, QStringLiteral("20 10 400 300 5 14400 13168880 8388608 DejaVu Serif 9.75 1 "
                                            ";True Wind Speed 197121 %1 0 0 1 35.5 -0.125 "
                                            ";True Wind Angle 0 %1 2 1 0 0 0 ;Boat Speed 0 15785160 0 0 0 0 0 "
                                            ";Heading 0 %2 2 0 0 0 0 ;Pilot Delta 0 %2 1 0 0 0 0")
                                 .arg(kBack, kGrey));

        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QFile read(Profile());
        QVERIFY(read.open(QIODevice::ReadOnly));
        const QByteArray text = read.readAll();
        QVERIFY(text.startsWith("[History Window]\nTop= 150\nLeft= 300\nHeight= 4500\nWidth= 6000\n"
                                "[History Trace]\nNumber of Traces= 5\n"));
        QCOMPARE(Configuration(Open()), configured);
    }

    void hidePanelFromTheMenu()
    {
        frmHistory& w = Open();
        w.show();
        w.ConfigurePopup();
        QVERIFY(w.Chart().findChild<QMenu*>("popMenu")->isVisible());
        QAction* hide = Entry(w.Chart(), "popHide", 0);
        QVERIFY(hide->isVisible());
        hide->trigger();
        QVERIFY(!w.isVisible());
    }

    void minimizedKeepsTheChartSize()
    {
        frmHistory& w = Open();
        w.show();
        w.resize(400, 300);
        // 30 twips in from the top left, inside the window.
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 398, 298));
        w.showMinimized();
        w.resize(500, 400);
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 398, 298));
        w.showNormal();
        QCOMPARE(w.Chart().geometry(), QRect(2, 2, 498, 398));
    }

    void chartWithoutMemoryIsReported()
    {
        // Ten values of 30 million samples: beyond what the chart takes.
        frmHistory& w = Open(30000000);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith("Vanehold - History|The History chart could not get the memory"));
        w.SetValue("Heading", 12.3f, "M");
        QCOMPARE(w.Chart().GetNumberOfTraces(), int16_t(3));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_frmhistory.moc"
