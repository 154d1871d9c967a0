// The Tack dialog's number boxes show their units beside them; the
// overshoot's goes with its box when a plain steer has none.

#include "FakeSerialPort.h"
#include "CoreRunner.h"
#include "frmTack.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

class TestTackDialog : public QObject {
    Q_OBJECT

private slots:
    void numberBoxesShowTheirUnits_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("unit");
        // Heading 0, wind 45 to starboard: 90 is a tack, 280 a steer.
        QTest::addColumn<float>("steerTo");
        const QString deg = QStringLiteral("\u00B0");
        QTest::newRow("heading") << "txtHeading" << deg << 90.0f;
        QTest::newRow("rate") << "txtRate" << deg + QStringLiteral("/s") << 90.0f;
        QTest::newRow("overshoot of a tack") << "txtOvershoot" << deg << 90.0f;
        QTest::newRow("no overshoot on a steer") << "txtOvershoot" << deg << 280.0f;
    }
    void numberBoxesShowTheirUnits()
    {
        QFETCH(QString, box);
        QFETCH(float, steerTo);
        QTemporaryDir dir;
        CoreSetup setup;
        setup.ManualTimers = true;
        setup.ProfileFile = dir.filePath(QStringLiteral("Vanehold.ini"));
        setup.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        CoreRunner core(setup, false);
        frmTack dialog(core);
        dialog.Form_Load();
        dialog.SetValue(steerTo, 0, 0, 45);
        QApplication::processEvents();

        auto* edit = dialog.findChild<QLineEdit*>(box);
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("lbl") + box.mid(3) + QStringLiteral("Unit"));
        QVERIFY(dialog.isVisible() && edit && label);
        QTEST(label->text(), "unit");
        QCOMPARE(label->isVisible(), edit->isVisible());
        QCOMPARE(edit->isVisible(), steerTo == 90.0f || box != QLatin1String("txtOvershoot"));
        if (!edit->isVisible())
            return;
        QCOMPARE(label->parentWidget(), edit->parentWidget());
        const QRect place = edit->geometry();
        const QRect beside = label->geometry();
        QVERIFY2(beside.left() > place.right() && beside.left() - place.right() < 12, "right of the box");
        QVERIFY2(beside.center().y() >= place.top() && beside.center().y() <= place.bottom(), "on its line");
    }
};

QTEST_MAIN(TestTackDialog)
#include "tst_frmtack.moc"
