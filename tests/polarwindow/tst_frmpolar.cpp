// The Polar window's menus, input boxes, files, profile and live values,
// headless, with every dialog recorded.

#include "PolarRig.h"

#include <QScreen>

#include <cstring>

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

InstrumentValues Wind(float angle, float speed, TrackMode mode = TrackModeManual)
{
    InstrumentValues v;
    v.eTrackMode = mode;
    v.bHeadingValid = true;
    v.fWindAngleTrue = angle;
    v.fWindSpeedTrue = speed;
    return v;
}

} // namespace

class TestPolarWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<PolarRig> rig;

    QString Stored(const char16_t* section, const char16_t* key)
    {
        QString value;
        ProfileStore::Read(rig->ProfileFile(), section, key, u"", value);
        return value;
    }
    bool Ticked(const char* name) { return rig->Action(QLatin1String(name))->isChecked(); }
    // Angles 40, 90, 150; winds 6, 10; speeds 4 6 / 6 8 / 5 9, as File 1.
    frmPolar& OpenSmall()
    {
        rig->WriteFile(QStringLiteral("bin/small.pol"), "TWA\t6\t10\n40\t4.0\t6.0\n90\t6.0\t8.0\n150\t5.0\t9.0\n");
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("small.pol"));
        return rig->Open();
    }

private slots:
    void init() { rig = std::make_unique<PolarRig>(); }
    void cleanup() { rig.reset(); }

    void speedRangeBox_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<float>("range");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("9 is another range") << QStringList{"9"} << 9.0f << "mnuRangeCustom" << QStringList();
        QTest::newRow("10 is a listed one") << QStringList{"10"} << 10.0f << "mnuRange10" << QStringList();
        QTest::newRow("empty changes nothing") << QStringList{""} << 10.0f << "mnuRange10" << QStringList();
        QTest::newRow("asked again after text")
            << QStringList{"abc", "7"} << 7.0f << "mnuRangeCustom" << QStringList{"Vanehold|abc - Type mismatch"};
        QTest::newRow("0 and less refused") << QStringList{"0", "-3", "12"} << 12.0f << "mnuRange12"
                                            << QStringList{"Vanehold|0 - The value must be above 0",
                                                           "Vanehold|-3 - The value must be above 0"};
        // 100000000 once drew a ring every 2 knots out to it.
        QTest::newRow("above 100 refused")
            << QStringList{"100000000", "100.5", "100"} << 100.0f << "mnuRangeCustom"
            << QStringList{"Vanehold|100000000 - The value must be 100 or less",
                           "Vanehold|100.5 - The value must be 100 or less"};
    }

    // A stored number the input boxes would refuse starts as the default.
    void storedNumbersOutOfBounds_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<float>("value");
        QTest::newRow("range 1000000") << "Speed Range" << "1000000" << 10.0f;
        QTest::newRow("range 100") << "Speed Range" << "100" << 100.0f;
        QTest::newRow("motor speed 3e38") << "Boat Motor Speed" << "3e38" << 3.0f;
        QTest::newRow("motor speed 0") << "Boat Motor Speed" << "0" << 0.0f;
        QTest::newRow("average 0.5") << "Plot Average" << "0.5" << 2.0f;
        QTest::newRow("factor 0") << "Speed Factor" << "0" << 1.0f;
    }
    void storedNumbersOutOfBounds()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QVERIFY(ProfileStore::Write(rig->ProfileFile(), u"Polar Data", key, stored));
        const PolarSettings& s = rig->Open().Settings();
        const QMap<QString, float> members{{"Speed Range", s.m_fSpeedRange},
                                           {"Boat Motor Speed", s.m_fBoatMotorSpeed},
                                           {"Plot Average", s.m_fPlotAverage},
                                           {"Speed Factor", s.m_fSpeedFactor}};
        QTEST(members.value(key), "value");
    }

    void storedPlaceStaysOnTheScreens()
    {
        for (const char16_t* key : {u"Top", u"Left", u"Height", u"Width"})
            rig->Profile(u"Polar Window", key, QStringLiteral("99999999"));
        const frmPolar& w = rig->Open();
        const QRect area = w.screen()->availableVirtualGeometry();
        QVERIFY(w.width() <= area.width() && w.height() <= area.height());
        QVERIFY(area.contains(w.pos()));
    }

    // A file that fails to read changes nothing: table, name, factor,
    // title, picture and, at the next start, the stored names.
    void failedReadKeepsEverything_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QByteArray wide = "TWA";
        for (int c = 1; c <= 300; ++c)
            wide += '\t' + QByteArray::number(c);
        QTest::newRow("open 300 columns") << "mnuOverlayFile1" << wide + "\n40" + QByteArray(300, '\t') + "\n"
                                          << "More than 50 Wind Speed Columns";
        QTest::newRow("reference, decimal comma")
            << "mnuOverlayFile2" << QByteArray("TWA\t6\n40\t6,5\n") << "Decimal Comma in Row 2, Column 2";
        // 4 kn x 30 passes the ceiling: the factor stays 0.9.
        QTest::newRow("scaling by 30") << "mnuOverlayScale" << QByteArray() << "Speed above 100 Kts in Row 2, Column 2";
    }
    void failedReadKeepsEverything()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        frmPolar& w = OpenSmall();
        rig->Show(QSize(400, 300));
        rig->answers = QStringList{"0.9", "30"};
        rig->Trigger(QStringLiteral("mnuOverlayScale"));
        rig->chosen = rig->Path(QStringLiteral("bin/small.pol"));
        rig->Trigger(QStringLiteral("mnuOverlayFile2"));
        const auto table = std::make_unique<PolarTable>(w.Table());
        const QString title = w.windowTitle();
        const QImage picture = w.centralWidget()->grab().toImage();
        rig->WriteFile(QStringLiteral("bad.pol"), file);
        rig->chosen = rig->Path(QStringLiteral("bad.pol"));
        rig->Trigger(command);

        QCOMPARE(rig->messages, QStringList{"Vanehold|Polar File Error: " + message});
        QVERIFY(std::memcmp(table.get(), &w.Table(), sizeof(PolarTable)) == 0);
        QCOMPARE(w.Settings().m_fSpeedFactor, 0.9f);
        QCOMPARE(w.PolarCount(), 2);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(w.centralWidget()->grab().toImage(), picture);
        rig->window.reset();
        QCOMPARE(Stored(u"Polar Data", u"File 1"), QStringLiteral("small.pol"));
        QCOMPARE(Stored(u"Polar Data", u"File 2"), QStringLiteral("small.pol"));
        QCOMPARE(Stored(u"Polar Data", u"Speed Factor"), QStringLiteral("0.9"));
    }
    void speedRangeBox()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, ticked);
        QFETCH(QStringList, messages);
        rig->Open();
        rig->answers = answers;
        rig->Trigger(QStringLiteral("mnuRangeCustom"));
        QTEST(rig->window->Settings().m_fSpeedRange, "range");
        QVERIFY(rig->Action(ticked)->isChecked());
        QCOMPARE(rig->messages, messages);
        QCOMPARE(rig->prompts.first(), QStringLiteral("Polar Plot - Speed Range|10"));
        QCOMPARE(rig->prompts.size(), answers.size());
    }

    void speedFactorShowsInTitleUntilOpen()
    {
        frmPolar& w = OpenSmall();
        rig->answers = QStringList{"0.9"};
        rig->Trigger(QStringLiteral("mnuOverlayScale"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vanehold - 90% small.pol"));
        QCOMPARE(rig->Action(QStringLiteral("mnuOverlayScale"))->text(), QStringLiteral("Set Scaling (0.9)..."));
        QCOMPARE(w.Table().m_fPolar[0][1][1], 3.6f);
        rig->chosen = rig->Path(QStringLiteral("bin/small.pol"));
        rig->Trigger(QStringLiteral("mnuOverlayFile1"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vanehold - small.pol"));
        QCOMPARE(w.Table().m_fPolar[0][1][1], 4.0f);
        QCOMPARE(rig->messages, QStringList());
        rig->chosen.clear();
        rig->Trigger(QStringLiteral("mnuOverlayFile1"));
        QCOMPARE(rig->messages, QStringList{"Vanehold|Polar File Error: Cancel was selected."});
    }

    void courseItemsAndSteerControls()
    {
        frmPolar& w = rig->Open();
        rig->Show(QSize(500, 400));
        w.mnuCourseWaypoint_Click(1);
        QVERIFY(w.Settings().m_bCourseWaypoint && Ticked("mnuCourseWaypoint_1"));
        w.mnuCourseWaypoint_Click(1);
        QVERIFY(!w.Settings().m_bCourseWaypoint && !Ticked("mnuCourseWaypoint_1"));
        w.mnuCourseWaypoint_Click(1);
        w.mnuCourseWaypoint_Click(0);
        QVERIFY(w.Settings().m_bCourseWaypoint && Ticked("mnuCourseWaypoint_0") && !Ticked("mnuCourseWaypoint_1"));
        QVERIFY(rig->Action(QStringLiteral("mnuCourseTargetBearing"))->isVisible());
        // The steer controls follow the tracking mode.
        w.SetValue(Wind(45, 10, TrackModeSetup));
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("lblSteer"))->isVisible());
        w.SetValue(Wind(45, 10, TrackModeTrack));
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("cmdSteer"))->isVisible());
    }

    void minimisedWindowKeepsTheStoredPlace()
    {
        rig->Profile(u"Polar Window", u"Width", QStringLiteral("9000"));
        frmPolar& w = rig->Open();
        QCOMPARE(w.width(), qRound(9000 * w.logicalDpiX() / 1440.0));
        rig->Show(QSize(400, 300));
        w.move(w.x(), qRound(1500 * w.logicalDpiY() / 1440.0));
        w.close();
        QCOMPARE(Stored(u"Polar Window", u"Top"), QStringLiteral("1500"));
        w.show();
        w.move(w.x(), 0);
        w.showMinimized();
        w.close();
        QCOMPARE(Stored(u"Polar Window", u"Top"), QStringLiteral("1500"));
    }

    void fileNamesInTheProgramFolderAreStoredBare_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("stored");
        QTest::newRow("program folder") << "bin/small.pol" << "small.pol";
        QTest::newRow("other folder") << "small.pol" << "<temp>/small.pol";
        QTest::newRow("program folder's name inside") << "x/bin/small.pol" << "<temp>/x/bin/small.pol";
    }
    void fileNamesInTheProgramFolderAreStoredBare()
    {
        QFETCH(QString, file);
        QFETCH(QString, stored);
        QDir(rig->dir.path()).mkpath(QStringLiteral("x/bin"));
        rig->WriteFile(file, "TWA\t6\n40\t4\n");
        rig->Open();
        rig->chosen = rig->Path(file);
        rig->Trigger(QStringLiteral("mnuOverlayFile1"));
        rig->window.reset();
        QCOMPARE(Stored(u"Polar Data", u"File 1"), stored.replace(QStringLiteral("<temp>"), rig->dir.path()));
    }

    void missingMainPolarIsShownOnce()
    {
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("missing.pol"));
        frmPolar& w = rig->Open();
        rig->Show(QSize(400, 300));
        w.SetValue(Wind(90, 10));
        QCOMPARE(rig->chart, QStringList{"Polar Speed=0.0 Kts"});
        QCOMPARE(rig->messages.size(), 1);
        QVERIFY(rig->messages[0].startsWith(QStringLiteral("Vanehold|Polar File Error: ")));
        QVERIFY(rig->messages[0].size() > 30);
    }

    void polarSpeedOnlyWhileVisible()
    {
        rig->Profile(u"Polar Data", u"Plot Average", QStringLiteral("0"));
        frmPolar& w = OpenSmall();
        w.SetValue(Wind(-65, 8));
        QCOMPARE(w.Live().m_fWindAngleTrue, -65.0f);
        QCOMPARE(rig->chart, QStringList());
        // Angles 40..90 and winds 6..10 bracket (65, 8): 5 and 7, so 6.
        rig->Show(QSize(400, 300));
        w.SetValue(Wind(-65, 8));
        w.SetValue(Wind(65, 8));
        w.SetValue(Wind(120, 10));
        QCOMPARE(rig->chart, (QStringList{"Polar Speed=6.0 Kts", "Polar Speed=6.0 Kts", "Polar Speed=8.5 Kts"}));
        w.hide();
        w.SetValue(Wind(65, 8));
        QCOMPARE(rig->chart.size(), 3);
        QCOMPARE(w.PolarSpeed(), 8.5f);
    }

    void saveAsAsksBeforeReplacing()
    {
        frmPolar& w = OpenSmall();
        rig->chosen = rig->Path(QStringLiteral("out.pol"));
        rig->WriteFile(QStringLiteral("out.pol"), "old");
        rig->Trigger(QStringLiteral("mnuSaveAs"));
        QCOMPARE(rig->messages, QStringList{QStringLiteral("AutoPilot - Save As|") + rig->chosen
                                            + QStringLiteral("file already exists.\nDo you want to replace it?")});
        QCOMPARE(Read(rig->chosen), QByteArray("old"));
        QCOMPARE(w.Settings().m_sPolarFile[0], QStringLiteral("small.pol"));
        rig->yes = true;
        rig->Trigger(QStringLiteral("mnuSaveAs"));
        QCOMPARE(Read(rig->chosen), QByteArray("TWA\t6\t10\r\n40\t4.0\t6.0\r\n90\t6.0\t8.0\r\n150\t5.0\t9.0\r\n"));
        QCOMPARE(w.Settings().m_sPolarFile[0], rig->chosen);
    }

    // The defaults and the shipped polar, found beside the installed
    // program; three changes written in order and read back.
    void settingsAreWrittenInOrderAndReadBack()
    {
        frmPolar& w = rig->Open();
        QCOMPARE(rig->messages, QStringList());
        QCOMPARE(w.windowTitle(), QStringLiteral("Vanehold - Fast Sled 60ft.pol"));
        for (const char* item : {"mnuRange10", "mnuAverage2", "mnuWindTrue", "mnuBoatType_0", "mnuCourseScale"})
            QVERIFY2(Ticked(item), item);
        for (const char* item : {"mnuRangeCustom", "mnuWindApparent", "mnuCourseWaypoint_0", "mnuCourseLedger"})
            QVERIFY2(!Ticked(item), item);
        rig->chosen = QStringLiteral("#fffffe");
        rig->Trigger(QStringLiteral("mnuOverlayColor"));
        rig->Trigger(QStringLiteral("mnuWindApparent"));
        rig->Trigger(QStringLiteral("mnuAverage16"));
        rig->window.reset();
        QCOMPARE(Read(rig->ProfileFile()),
                 QByteArray("[Polar Data]\nFile 1=Fast Sled 60ft.pol\nFile 2=Fast Sled 60ft.pol\nPlot Average=16\n"
                            "Plot Label WindSpeed=False\nPlot Type=1\nSpeed Color=16711679\nSpeed Factor=1\n"
                            "Speed Range=10\nCourse Scale=True\nCourse Target Bearing=0\nCourse Waypoint=False\n"
                            "Course Waypoint Index=3\nBoat Motor Speed=3\nBoat Type=0\n"));
        QCOMPARE(rig->Open().Settings().m_lSpeedColor, 16711679);
        QVERIFY(Ticked("mnuWindApparent") && Ticked("mnuAverage16"));
    }
};

QTEST_MAIN(TestPolarWindow)
#include "tst_frmpolar.moc"
