#include "ChartFixture.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

QAction* Entry(TrendScope& chart, const QString& name, int index)
{
    for (QAction* a : chart.findChildren<QAction*>(name))
        if (a->data().toInt() == index)
            return a;
    return nullptr;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Everything GetProfile may set, as text, for comparing two charts.
QStringList Configuration(const TrendScope& chart)
{
    QStringList out;
    out << QString::number(chart.GetNumberOfTraces()) << QString::number(chart.GetTimeSpan())
        << QString::number(chart.BackColor()) << QString::number(chart.ForeColor()) << chart.FontName()
        << QString::number(double(chart.FontSize())) << QString::number(chart.FontItalic());
    for (int16_t k = 1; k <= 5; ++k) {
        int16_t scale = 0;
        double top = 0, bottom = 0;
        chart.GetTraceScale(k, scale, top, bottom);
        out << QString("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                   .arg(chart.GetTraceName(k))
                   .arg(chart.GetTraceColor(k))
                   .arg(chart.GetTraceBackColor(k))
                   .arg(chart.GetTraceRange(k))
                   .arg(chart.GetTraceStyle(k))
                   .arg(scale)
                   .arg(top)
                   .arg(bottom)
                   .arg(k);
    }
    return out;
}

} // namespace

class TestChartProfile : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void writesKeysInOrder();
    void emptyFileChangesNothingButRedraws();
    void undeclaredNameKeepsValue();
    void storedValuesOutOfRange_data();
    void storedValuesOutOfRange();
    void menuConfigurationRoundTrip();

private:
    QTemporaryDir dir;
};

void TestChartProfile::writesKeysInOrder()
{
    ChartFixture f(400, 300, 3);
    const QString file = dir.filePath("written.ini");
    f.chart->SetProfile(file, "History");
    const QByteArray expected = "[History]\n"
                                "Number of Traces= 3\n"
                                "Back Color= 16777215\n"
                                "Font Italic=False\n"
                                "Font Name=DejaVu Sans\n"
                                "Font Size=8\n"
                                "Fore Color= 0\n"
                                "Time Span= 60\n"
                                "[History #1]\n"
                                "Back Color= 14737632\nColor= 255\nName=Speed\nRange= 0\n"
                                "Scale= 0\nScale Max= 0\nScale Min= 0\nStyle= 0\n"
                                "[History #2]\n"
                                "Back Color= 14737632\nColor= 49152\nName=Heading\nRange= 2\n"
                                "Scale= 0\nScale Max= 0\nScale Min= 0\nStyle= 0\n"
                                "[History #3]\n"
                                "Back Color= 14737632\nColor= 16711680\nName=Depth\nRange= 0\n"
                                "Scale= 0\nScale Max= 0\nScale Min= 0\nStyle= 0\n";
    QCOMPARE(Contents(file), expected);
    // Fewer traces later: the sections beyond stay as they were.
    f.chart->SetNumberOfTraces(1);
    f.chart->SetTraceScale(1, 1, 12.5, -0.25);
    f.chart->SetProfile(file, "History");
    const QByteArray now = Contents(file);
    QVERIFY(now.contains("Number of Traces= 1\n"));
    QVERIFY(now.contains("Scale Max= 12.5\nScale Min=-0.25\n"));
    QVERIFY(now.endsWith(expected.mid(expected.indexOf("[History #2]"))));
}

void TestChartProfile::emptyFileChangesNothingButRedraws()
{
    ChartFixture f(400, 300, 2);
    for (int s = 0; s < 12; ++s) {
        f.chart->SetValue("Speed", "4");
        f.clock.AdvanceSeconds(1);
    }
    const QStringList before = Configuration(*f.chart);
    // A colour that shows only with the next full draw.
    f.chart->SetTraceColor(1, 0x00FF00);
    const TraceGeometry g = f.Geometry();
    const QRect plot(g.m_iPlotLeft[0] + 1, g.m_iPlotTop[0] + 1, g.m_iPlotWidth - 1, g.m_iPlotHeight - 1);
    const auto count = [&plot](const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int x = plot.left(); x <= plot.right(); ++x)
                n += image.pixel(x, y) == colour ? 1 : 0;
        return n;
    };
    QCOMPARE(count(f.Picture(), qRgb(0, 255, 0)), 0);
    const QString file = dir.filePath("empty.ini");
    Write(file, "");
    f.chart->GetProfile(file, "History");
    QVERIFY(count(f.Picture(), qRgb(0, 255, 0)) > 0);
    f.chart->SetTraceColor(1, 0x0000FF);
    QCOMPARE(Configuration(*f.chart), before);
}

void TestChartProfile::undeclaredNameKeepsValue()
{
    ChartFixture f;
    const QString file = dir.filePath("name.ini");
    Write(file, "[Chart #1]\nName=Nothing\nColor= 65280\nStyle= 1\nScale Max=7.5\n");
    f.chart->GetProfile(file, "Chart");
    QCOMPARE(f.chart->GetTraceName(1), QString("Speed"));
    QCOMPARE(f.chart->GetTraceColor(1), 65280);
    QCOMPARE(f.chart->GetTraceStyle(1), int16_t(1));
    int16_t scale = 0;
    double top = 0, bottom = 0;
    f.chart->GetTraceScale(1, scale, top, bottom);
    QCOMPARE(top, 7.5);
}

void TestChartProfile::storedValuesOutOfRange_data()
{
    QTest::addColumn<QByteArray>("traces");
    QTest::addColumn<QByteArray>("span");
    QTest::addColumn<int>("expectedTraces");
    QTest::addColumn<int>("expectedSpan");
    QTest::newRow("taken") << QByteArray(" 5") << QByteArray(" 86400") << 5 << 86400;
    QTest::newRow("lowest taken") << QByteArray("1") << QByteArray("60") << 1 << 60;
    QTest::newRow("zero and 59") << QByteArray(" 0") << QByteArray(" 59") << 2 << 600;
    QTest::newRow("six and a day and a second") << QByteArray(" 6") << QByteArray(" 86401") << 2 << 600;
    QTest::newRow("negative") << QByteArray("-1") << QByteArray("-3600") << 2 << 600;
    QTest::newRow("letters") << QByteArray("many") << QByteArray("long") << 2 << 600;
}

void TestChartProfile::storedValuesOutOfRange()
{
    QFETCH(QByteArray, traces);
    QFETCH(QByteArray, span);
    QFETCH(int, expectedTraces);
    QFETCH(int, expectedSpan);
    ChartFixture f(400, 300, 2);
    f.chart->SetTimeSpan(600);
    const QString file = dir.filePath("range.ini");
    Write(file, "[History]\nNumber of Traces=" + traces + "\nTime Span=" + span + "\n");
    f.chart->GetProfile(file, "History");
    QCOMPARE(int(f.chart->GetNumberOfTraces()), expectedTraces);
    QCOMPARE(f.chart->GetTimeSpan(), expectedSpan);
}

void TestChartProfile::menuConfigurationRoundTrip()
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
    answer = QColor(200, 210, 220);
    Entry(*f.chart, "popTraceColor3Line", 0)->trigger();
    answer = QColor(240, 240, 200);
    Entry(*f.chart, "popBackColor", 0)->trigger();
    answer = QColor(0, 0, 128);
    Entry(*f.chart, "popFontColor", 0)->trigger();
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
    QCOMPARE(Configuration(*other.chart), Configuration(*f.chart));
    QCOMPARE(other.chart->GetTraceName(3), QString("Heading"));
    QCOMPARE(other.chart->GetTraceRange(3), int16_t(1));
    QCOMPARE(other.chart->GetTimeSpan(), 4 * 3600);
    QCOMPARE(other.chart->FontSize(), 9.75f);
}

QTEST_MAIN(TestChartProfile)
#include "tst_chartprofile.moc"
