// The Polar window in course mode, headless: the steer controls, the
// requests to the Tack dialog, the ledger, and live values that arrive
// while a course update runs.

#include "PolarRig.h"

#include <QGroupBox>
#include <QPushButton>

namespace {

// Course 0 magnetic, wind 10 kn; no averaging, so a value counts at once.
InstrumentValues Live(float heading, float windAngle, float boatSpeed = 6)
{
    InstrumentValues v;
    v.eTrackMode = TrackModeManual;
    v.bHeadingValid = true;
    v.fHeading = heading;
    v.fBoatSpeed = boatSpeed;
    v.fWindAngleTrue = windAngle;
    v.fWindSpeedTrue = 10;
    return v;
}

// Calls a function once, from inside the first palette change of a widget.
class OnPaletteChange : public QObject {
public:
    std::function<void()> call;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange && call)
            std::exchange(call, nullptr)();
        return false;
    }
};

} // namespace

class TestCourseWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<PolarRig> rig;

    QPushButton* Button(const char* name) { return rig->window->findChild<QPushButton*>(QLatin1String(name)); }

private slots:
    void init()
    {
        rig = std::make_unique<PolarRig>();
        QFile::copy(QStringLiteral(VANEHOLD_TEST_DATA "/polars/course-45.pol"), rig->Path(QStringLiteral("bin/c.pol")));
        rig->Profile(u"Polar Data", u"File 1", QStringLiteral("c.pol"));
        rig->Profile(u"Polar Data", u"Plot Average", QStringLiteral("0"));
        rig->Open();
        rig->Show(QSize(600, 500));
        rig->Trigger(QStringLiteral("mnuCourseWaypoint_0"));
    }
    void cleanup() { rig.reset(); }

    void buttonsAskForTheTackDialog()
    {
        frmPolar& w = *rig->window;
        w.SetValue(Live(50, -50)); // on the port leg, 5 degrees off it
        QCOMPARE(Button("cmdSteer")->text(), QStringLiteral("< Steer -5"));
        QCOMPARE(Button("cmdSteer")->palette().color(QPalette::Button), QColor(255, 128, 128));
        QCOMPARE(Button("cmdTack")->isVisible() ? Button("cmdTack")->text() : QString(), QStringLiteral("<< Tack"));
        Button("cmdSteer")->click();
        Button("cmdTack")->click();
        QCOMPARE(rig->tacks, (QStringList{"45 50 -50", "315 50 -50"}));

        w.SetValue(Live(0, 90, 7)); // a reach: one leg, nothing to tack to
        QVERIFY(Button("cmdSteer")->isVisible());
        QVERIFY(!Button("cmdTack")->isVisible());
        QCOMPARE(w.TargetSpeed(), 7.0f);
        QCOMPARE(w.TackHeading(), -45.0f); // kept from the last two-leg course
    }

    // A leg's value keeps off its label ("Stb (M)" and "270 (100%)"): the
    // value's first ink stands clear of the label's last, in legend row 1.
    void legValueKeepsOffItsLabel()
    {
        frmPolar& w = *rig->window;
        rig->answers = QStringList{"270"};
        rig->Trigger(QStringLiteral("mnuCourseTargetBearing"));
        QWidget* client = w.centralWidget();
        const QImage legend = client->grab().toImage();
        w.SetValue(Live(270, 90, 7)); // a beam reach along the bearing: one leg
        const QImage shown = client->grab().toImage();
        auto dark = [](QColor c) { return std::max({c.red(), c.green(), c.blue()}) < 110; };
        const int h = QFontMetrics(client->font()).height();
        int labelEnd = -1;
        int valueStart = 1000;
        for (int y = h; y < 2 * h; ++y)
            for (int x = 0; x < 190; ++x) {
                if (dark(legend.pixelColor(x, y)))
                    labelEnd = std::max(labelEnd, x);
                else if (dark(shown.pixelColor(x, y)))
                    valueStart = std::min(valueStart, x);
            }
        QVERIFY(labelEnd > 0 && valueStart < 1000);
        QVERIFY2(valueStart > labelEnd + 2, qPrintable(QStringLiteral("%1 %2").arg(labelEnd).arg(valueStart)));
    }

    void ledgerFromTheMenus()
    {
        auto* ledger = rig->window->findChild<QGroupBox*>(QStringLiteral("frmLedger"));
        rig->Trigger(QStringLiteral("mnuCourseLedger"));
        QVERIFY(ledger->isVisible() && rig->Action(QStringLiteral("mnuCourseLedger"))->isChecked());
        rig->Trigger(QStringLiteral("mnuLedgerHide"));
        QVERIFY(!ledger->isVisible() && !rig->Action(QStringLiteral("mnuCourseLedger"))->isChecked());
    }

    // An event handled inside a course update hands in new values: they
    // wait until the update has ended, then make one update of their own.
    void valuesDuringAnUpdateWait()
    {
        frmPolar& w = *rig->window;
        OnPaletteChange hook;
        float seen = -1;
        hook.call = [&] {
            w.SetValue(Live(40, -40));
            seen = w.Live().m_fHeading;
        };
        Button("cmdSteer")->installEventFilter(&hook);
        w.SetValue(Live(50, -50));
        QVERIFY(!hook.call);
        QCOMPARE(seen, 50.0f);
        QCOMPARE(w.Live().m_fHeading, 40.0f);
        QCOMPARE(Button("cmdSteer")->text(), QStringLiteral("Steer +5 >"));
        QCOMPARE(rig->chart.size(), 2);
    }
};

QTEST_MAIN(TestCourseWindow)
#include "tst_coursewindow.moc"
