// The configuration menu, the scale dialog and the chart's profile keys.
#include "ChartFixture.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// The entry of an entry array with this index.
QAction* Entry(TrendScope& chart, const QString& name, int index)
{
    for (QAction* a : chart.findChildren<QAction*>(name))
        if (a->data().toInt() == index)
            return a;
    return nullptr;
}

QStringList Checked(TrendScope& chart, const QString& name)
{
    QStringList out;
    for (QAction* a : chart.findChildren<QAction*>(name))
        out << (a->isChecked() ? a->text() : QString());
    out.removeAll(QString());
    return out;
}

// What a profile can set, as text, to compare two charts.
QString Configuration(const TrendScope& c)
{
    auto n = [](double v) { return QString::number(v, 'g', 10); };
    QStringList out{n(c.GetNumberOfTraces()), n(c.GetTimeSpan()), n(c.BackColor()), n(c.ForeColor()),
                    c.FontName(),             n(c.FontSize()),    n(c.FontItalic())};
    for (int16_t k = 1; k <= c.GetNumberOfTraces(); ++k) {
        int16_t scale = 0;
        double top = 0, bottom = 0;
        c.GetTraceScale(k, scale, top, bottom);
        out << ";" + c.GetTraceName(k) << n(c.GetTraceColor(k)) << n(c.GetTraceBackColor(k)) << n(c.GetTraceRange(k))
            << n(c.GetTraceStyle(k)) << n(scale) << n(top) << n(bottom);
    }
    return out.join(' ');
}

} // namespace

class TestChartMenu : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void checksOnOpen_data()
    {
        QTest::addColumn<int>("traces");
        QTest::addColumn<int>("span");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("1 trace, 60 s") << 1 << 60 << QStringList{"1 Trace", "1 Minutes"};
        QTest::newRow("3 traces, 1800 s") << 3 << 1800 << QStringList{"3 Traces", "30 Minutes"};
        QTest::newRow("5 traces, 3600 s") << 5 << 3600 << QStringList{"5 Traces", "1 Hour"};
        QTest::newRow("2 traces, 5400 s") << 2 << 5400 << QStringList{"2 Traces"};
    }
    void checksOnOpen()
    {
        QFETCH(int, traces);
        QFETCH(int, span);
        ChartFixture f(400, 300, traces);
        f.chart->SetTimeSpan(span);
        f.chart->Trace_PopUp();
        QVERIFY(f.chart->findChild<QMenu*>("popMenu")->isVisible());
        QTEST(Checked(*f.chart, "popTraceNumber") + Checked(*f.chart, "popTimeSpanMinutes")
                     + Checked(*f.chart, "popTimeSpanHours"), "checked");
        for (QMenu* menu : f.chart->findChildren<QMenu*>("popTraceLabel"))
            QCOMPARE(menu->menuAction()->isVisible(), menu->menuAction()->data().toInt() <= traces);
        QCOMPARE(Checked(*f.chart, "popTraceLabel1"), QStringList{"Speed"});
        // Only choices can carry a check; the commands ("...", Hide Panel)
        // and the submenus none.
        const QRegularExpression commands("popTraceColor.*|popBackColor|popFontColor|popFontType|popHide");
        for (QAction* a : f.chart->findChild<QMenu*>("popMenu")->findChildren<QAction*>())
            QVERIFY2(a->isCheckable() == !(a->menu() || a->isSeparator() || commands.match(a->objectName()).hasMatch()),
                     qPrintable(a->text()));
    }

    // OK on the font dialog without a change gives the font back as it
    // was: a family the machine lacks (the chart's default), a size the
    // dialog does not list, and the styles.
    void fontDialogOkKeepsTheFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QList<bool>>("styles"); // bold, italic, underline
        QTest::newRow("missing family, bold") << "MS Sans Serif" << QList<bool>{true, false, false};
        QTest::newRow("bold, italic, underlined") << "DejaVu Sans" << QList<bool>{true, true, true};
        QTest::newRow("italic") << "DejaVu Serif" << QList<bool>{false, true, false};
    }
    void fontDialogOkKeepsTheFont()
    {
        QFETCH(QString, family);
        QFETCH(QList<bool>, styles);
        ChartFixture f;
        f.chart->SetFontName(family);
        f.chart->SetFontSize(9.75f);
        f.chart->SetFontBold(styles[0]);
        f.chart->SetFontItalic(styles[1]);
        f.chart->SetFontUnderline(styles[2]);
        QTimer ok;
        QObject::connect(&ok, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        ok.start(10);
        Entry(*f.chart, "popFontType", 0)->trigger();
        QCOMPARE(f.chart->FontName(), family);
        QCOMPARE(f.chart->FontSize(), 9.75f);
        QCOMPARE((QList<bool>{f.chart->FontBold(), f.chart->FontItalic(), f.chart->FontUnderline()}), styles);
    }

    void rangeByValueType_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("rangeBefore");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addColumn<int>("rangeAfter");
        QTest::newRow("Normal value resets 0-360") << 0 << 2 << QList<bool>{true, false, false} << 0;
        QTest::newRow("Degrees value on Normal") << 1 << 0 << QList<bool>{false, true, true} << 2;
        QTest::newRow("Degrees value keeps +-180") << 1 << 1 << QList<bool>{false, true, true} << 1;
    }
    void rangeByValueType()
    {
        QFETCH(int, value);
        QFETCH(int, rangeBefore);
        QFETCH(QList<bool>, enabled);
        QFETCH(int, rangeAfter);
        ChartFixture f;
        f.chart->SetTraceRange(1, static_cast<int16_t>(rangeBefore));
        Entry(*f.chart, "popTraceLabel1", value)->trigger();
        QCOMPARE(f.chart->GetTraceRange(1), int16_t(rangeAfter));
        f.chart->Trace_PopUp();
        for (int r = 0; r < 3; ++r)
            QCOMPARE(Entry(*f.chart, "popTraceRange1Line", r)->isEnabled(), enabled[r]);
    }

    void manualScaleByEnter()
    {
        ChartFixture f;
        f.chart->SetValue("Speed", "4");
        Entry(*f.chart, "popTraceScale1Line", 1)->trigger();
        auto* dialog = f.chart->findChild<QDialog*>("frmMaxMin");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("Trace #1"));
        auto* max = dialog->findChild<QLineEdit*>("txtMax");
        QCOMPARE(max->text(), QString("0"));
        max->clear();
        QTest::keyClicks(max, "20");
        QTest::keyClick(max, Qt::Key_Return);
        const TraceGeometry g = f.Geometry();
        QVERIFY(f.ShowsText(f.Picture(), g.m_iPlotLeft[0] + g.m_iPlotWidth + 6, g.m_iPlotTop[0], "20"));
        // Not a number: the limits stay, the text stays for correction.
        max->setText("2O");
        QTest::keyClick(max, Qt::Key_Return);
        QCOMPARE(max->text(), QString("2O"));
        QVERIFY(Configuration(*f.chart).endsWith(";Speed 255 14737632 0 0 1 20 0"));
        max->setText("12.5");
        dialog->findChild<QLineEdit*>("txtMin")->setText("-2");
        dialog->close();
        QVERIFY(Configuration(*f.chart).endsWith(";Speed 255 14737632 0 0 1 12.5 -2"));
    }

    void profileWritten()
    {
        ChartFixture f(400, 300, 3);
        const QString file = dir.filePath("written.ini");
        f.chart->SetProfile(file, "History");
        QFile read(file);
        QVERIFY(read.open(QIODevice::ReadOnly));
        const QByteArray text = read.readAll();
        QVERIFY(text.startsWith("[History]\nNumber of Traces= 3\nBack Color= 16777215\nFont Italic=False\n"
                                "Font Name=DejaVu Sans\nFont Size=8\nFore Color= 0\nTime Span= 60\n"));
        QVERIFY(text.endsWith("[History #3]\nBack Color= 14737632\nColor= 16711680\nName=Depth\nRange= 0\n"
                              "Scale= 0\nScale Max= 0\nScale Min= 0\nStyle= 0\n"));
        QCOMPARE(text.count("[History #"), 3);
    }

    void profileRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("changed");
        const QString before = "2 600 16777215 0 DejaVu Sans 8 0 ;Speed 255 14737632 0 0 0 0 0 ;Heading 49152 "
                               "14737632 2 0 0 0 0";
        QTest::newRow("empty file") << QByteArray() << before;
        QTest::newRow("undeclared name") << QByteArray("[H #1]\nName=Nothing\nColor= 7\nStyle= 1\n")
                                         << QString(before).replace(";Speed 255 14737632 0 0", ";Speed 7 14737632 0 1");
        QTest::newRow("counts and spans taken") << QByteArray("[H]\nNumber of Traces= 1\nTime Span=86400\n")
                                                << "1 86400 16777215 0 DejaVu Sans 8 0 ;Speed 255 14737632 0 0 0 0 0";
        for (const char* bad : {"0", "6", "-1", "59", "86401", "many"})
            QTest::newRow(bad) << QByteArray("[H]\nNumber of Traces=") + bad + "\nTime Span=" + bad << before;
    }
    void profileRead()
    {
        QFETCH(QByteArray, file);
        ChartFixture f(400, 300, 2);
        f.chart->SetTimeSpan(600);
        for (int s = 0; s < 12; ++s) {
            f.chart->SetValue("Speed", "4");
            f.clock.AdvanceSeconds(1);
        }
        // A colour that only a full draw shows: GetProfile draws once.
        f.chart->SetTraceBackColor(2, 0x00FF00);
        const QString path = dir.filePath("read.ini");
        {
            QFile write(path);
            QVERIFY(write.open(QIODevice::WriteOnly) && write.write(file) == file.size());
        }
        f.chart->GetProfile(path, "H");
        const TraceGeometry g = f.Geometry();
        QCOMPARE(f.Picture().pixel(g.m_iPlotLeft[1] + 5, g.m_iPlotTop[1] + 5) == qRgb(0, 255, 0),
                 f.chart->GetNumberOfTraces() == 2);
        f.chart->SetTraceBackColor(2, 0xE0E0E0);
        QTEST(Configuration(*f.chart), "changed");
    }

    void roundTripThroughMenu()
    {
        ChartFixture f(400, 300, 1);
        QColor answer;
        f.chart->SetColorDialog([&answer](const QColor&, QWidget*) { return answer; });
        f.chart->SetFontDialog([](QFont& font, QWidget*) {
            font = QFont("DejaVu Serif");
            font.setPointSizeF(9.75);
            font.setItalic(true);
            return true;
        });
        Entry(*f.chart, "popTraceNumber", 3)->trigger();
        Entry(*f.chart, "popTraceLabel2", 2)->trigger();
        Entry(*f.chart, "popTraceLabel3", 1)->trigger();
        Entry(*f.chart, "popTraceRange3Line", 1)->trigger();
        Entry(*f.chart, "popTraceStyle2Line", 1)->trigger();
        answer = QColor(1, 2, 3);
        Entry(*f.chart, "popTraceColor2Line", 1)->trigger();
        answer = QColor(240, 240, 200);
        Entry(*f.chart, "popBackColor", 0)->trigger();
        Entry(*f.chart, "popFontType", 0)->trigger();
        Entry(*f.chart, "popTimeSpanHours", 4)->trigger();
        Entry(*f.chart, "popTraceScale1Line", 1)->trigger();
        auto* dialog = f.chart->findChild<QDialog*>("frmMaxMin");
        dialog->findChild<QLineEdit*>("txtMax")->setText("35.5");
        dialog->findChild<QLineEdit*>("txtMin")->setText("-0.125");
        dialog->close();

        const QString file = dir.filePath("round.ini");
        f.chart->SetProfile(file, "History");
        ChartFixture other(400, 300, 1);
        other.chart->GetProfile(file, "History");
        QCOMPARE(Configuration(*other.chart),
                 "3 14400 13168880 0 DejaVu Serif 9.75 1 ;Speed 255 14737632 0 0 1 35.5 -0.125 ;Depth 197121 14737632 0 "
                 "1 0 0 0 ;Heading 16711680 14737632 1 0 0 0 0");
    }
};

QTEST_MAIN(TestChartMenu)
#include "tst_chartmenu.moc"
