// The main window's view without the window: the texts and states it makes
// of the core's facts.

#include "MainView.h"

#include <QMap>
#include <QSignalSpy>
#include <QTest>

namespace {

// Everything the view says, as the window would hold it.
struct Shown {
    QString panel[4];
    QMap<QString, bool> enabled;
    QString values[7];
    QString delta[3];
    QString autoPilot;
    int valueTexts = 0;
    int deltaTexts = 0;

    explicit Shown(MainView& view)
    {
        QObject::connect(&view, &MainView::PanelText, [this](int i, const QString& t) { panel[i] = t; });
        QObject::connect(&view, &MainView::ControlEnabled, [this](MainControl c, int i, bool on) {
            enabled[QString::number(int(c)) + QLatin1Char('_') + QString::number(i)] = on;
        });
        QObject::connect(&view, &MainView::ValueText, [this](InstrumentValue w, const QString& t) {
            values[int(w)] = t;
            ++valueTexts;
        });
        QObject::connect(&view, &MainView::DeltaText, [this](int i, const QString& t) {
            delta[i] = t;
            ++deltaTexts;
        });
        QObject::connect(&view, &MainView::AutoPilotText, [this](const QString& t) { autoPilot = t; });
    }
    // "1" enabled, "0" disabled, "-" never said.
    QString State(MainControl control, int index) const
    {
        const QString key = QString::number(int(control)) + QLatin1Char('_') + QString::number(index);
        return enabled.contains(key) ? QString(enabled[key] ? '1' : '0') : QStringLiteral("-");
    }
};

} // namespace

class TestMainView : public QObject {
    Q_OBJECT

private slots:
    // States as "Manual button, Track button, txtAutoPilot, cmdAutoPilot,
    // options, lblDesired, lblDelta(0), txtDesired(1), txtDesired(2),
    // cmdDesiredApp, cmdDesiredTrue, lblAppWindAngle, lblTrueWindAngle".
    void modesSetPanelAndControls_data()
    {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<int>("angle");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("states");
        QTest::newRow("off") << QList<int>{1} << 1 << "Off" << "0000000000010";
        QTest::newRow("setup") << QList<int>{3} << 1 << "Initialize" << "101110-000010";
        QTest::newRow("manual from setup") << QList<int>{3, 5} << 1 << "Manual" << "111110-000010";
        QTest::newRow("manual straight from off") << QList<int>{1, 5} << 2 << "Manual" << "0111100000001";
        QTest::newRow("track apparent") << QList<int>{3, 5, 7} << 1 << "Track" << "1101111101010";
        QTest::newRow("track true") << QList<int>{3, 5, 7} << 2 << "Track" << "1101111010101";
        QTest::newRow("track, back to setup") << QList<int>{3, 5, 7, 3} << 2 << "Initialize" << "1011101000001";
    }
    void modesSetPanelAndControls()
    {
        QFETCH(QList<int>, modes);
        QFETCH(int, angle);
        MainView view;
        Shown shown(view);
        for (int mode : modes) {
            view.ShowMode(TrackMode(mode));
            view.ShowSelected(TrackAngle(angle));
        }
        QTEST(shown.panel[1], "panel");
        QString states;
        const auto both = [&](MainControl c) {
            const QString one = shown.State(c, 1);
            QCOMPARE(shown.State(c, 2), one);
            states += one;
        };
        states += shown.State(MainControl::tbrTrack, TrackModeManual);
        states += shown.State(MainControl::tbrTrack, TrackModeTrack);
        states += shown.State(MainControl::txtAutoPilot, 0);
        both(MainControl::cmdAutoPilot);
        both(MainControl::optControl);
        states += shown.State(MainControl::lblDesired, 0);
        states += shown.State(MainControl::lblDelta, 0);
        states += shown.State(MainControl::txtDesired, 1);
        states += shown.State(MainControl::txtDesired, 2);
        both(MainControl::cmdDesiredApp);
        both(MainControl::cmdDesiredTrue);
        both(MainControl::lblAppWindAngle);
        both(MainControl::lblTrueWindAngle);
        QTEST(states, "states");
        QCOMPARE(shown.State(MainControl::lblDelta, angle), QString(modes.last() == 7 ? '1' : '0'));
    }

    void valuesGetTheirLabelsFormat_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        // The format rounds half away from zero, on the digits as written.
        QTest::newRow("heading half up") << int(InstrumentValue::Heading) << 122.5f << "123";
        QTest::newRow("heading below half") << int(InstrumentValue::Heading) << 123.49f << "123";
        QTest::newRow("boat speed") << int(InstrumentValue::BoatSpeed) << 6.25f << "6.3";
        QTest::newRow("apparent angle to port") << int(InstrumentValue::AppWindAngle) << -52.4f << "-52";
        QTest::newRow("apparent speed") << int(InstrumentValue::AppWindSpeed) << 10.5f << "10.5";
        QTest::newRow("true angle") << int(InstrumentValue::TrueWindAngle) << 179.6f << "180";
        QTest::newRow("true speed as written") << int(InstrumentValue::TrueWindSpeed) << 12.35f << "12.4";
        QTest::newRow("waypoint") << int(InstrumentValue::WaypointBearing) << 0.4f << "0";
        QTest::newRow("a small angle to port keeps its sign") << int(InstrumentValue::AppWindAngle) << -0.4f << "-0";
    }
    void valuesGetTheirLabelsFormat()
    {
        QFETCH(int, which);
        QFETCH(float, value);
        MainView view;
        Shown shown(view);
        view.ShowValue(InstrumentValue(which), value);
        QTEST(shown.values[which], "text");
        // The same number again says nothing; gone quiet it shows "--",
        // and the same number back shows its text again.
        view.ShowValue(InstrumentValue(which), value);
        QCOMPARE(shown.valueTexts, 1);
        view.ShowValueStale(InstrumentValue(which), true);
        QCOMPARE(shown.values[which], QStringLiteral("--"));
        view.ShowValueStale(InstrumentValue(which), false);
        view.ShowValue(InstrumentValue(which), value);
        QTEST(shown.values[which], "text");
        QCOMPARE(shown.valueTexts, 3);
        view.ClearValue(InstrumentValue(which));
        QCOMPARE(shown.values[which], QString());
    }

    void errorsAndHeadings()
    {
        MainView view;
        Shown shown(view);
        view.ShowDelta(1, 0.25f);
        view.ShowDelta(1, 0.25f);
        view.ShowDelta(1, 0.26f); // another number, the same text
        QCOMPARE(shown.delta[1], QStringLiteral("0.3"));
        QCOMPARE(shown.deltaTexts, 1);
        view.ShowDelta(1, 5);
        QCOMPARE(shown.delta[1], QStringLiteral("5.0"));
        view.ShowAutoPilot(45, false);
        QCOMPARE(shown.autoPilot, QStringLiteral("45.0"));
        // The tack walk's steps in general form.
        view.ShowAutoPilot(80, true);
        QCOMPARE(shown.autoPilot, QStringLiteral("80"));
        view.ShowAutoPilot(80.25f, true);
        QCOMPARE(shown.autoPilot, QStringLiteral("80.25"));
        // The box hears every heading: the sailor may have typed over it.
        QSignalSpy box(&view, &MainView::AutoPilotText);
        view.ShowAutoPilot(80.25f, true);
        QCOMPARE(box.size(), 1);
    }

    void panelsTwoAndThree()
    {
        MainView view;
        Shown shown(view);
        view.ShowInputStatus(QStringLiteral("No Input Data"));
        QCOMPARE(shown.panel[2], QStringLiteral("No Input Data"));
        view.ShowOutputStatus(QStringLiteral("AutoPilot Not Reading"));
        QCOMPARE(shown.panel[3], QStringLiteral("AutoPilot Not Reading"));
        view.ShowAlarm(QStringLiteral("Wind Shift 25"));
        QCOMPARE(shown.panel[3], QStringLiteral("Wind Shift 25"));
        view.ShowOutputStatus(QString());
        QCOMPARE(shown.panel[3], QStringLiteral("Wind Shift 25"));
        view.ShowAlarm(QString());
        QCOMPARE(shown.panel[3], QString());
    }

    void aWalkTakesPanelOneAndGivesItBack()
    {
        MainView view;
        Shown shown(view);
        view.ShowMode(TrackModeManual);
        view.ShowTackProgress(QStringLiteral("Tack"), 34.6f, -100);
        QCOMPARE(shown.panel[1], QStringLiteral("Tack 35/100"));
        view.ShowTackProgress(QStringLiteral("Tack"), 100, -100);
        QCOMPARE(shown.panel[1], QStringLiteral("Tack 100/100"));
        view.ShowTackEnded();
        QCOMPARE(shown.panel[1], QStringLiteral("Manual"));
    }

    void windIndicatorOnlyWhenItChanges()
    {
        MainView view;
        QSignalSpy caption(&view, &MainView::WindIndicatorText);
        view.ShowWindIndicator(QStringLiteral("N-NE"), 12.3f);
        view.ShowWindIndicator(QStringLiteral("N-NE"), 12.3f);
        view.ShowWindIndicator(QStringLiteral("N-NE"), 12.31f);
        QCOMPARE(caption.size(), 1);
        QCOMPARE(caption.at(0).at(0).toString(), QStringLiteral("Wind N-NE@12.3"));
    }
};

QTEST_GUILESS_MAIN(TestMainView)
#include "tst_mainview.moc"
