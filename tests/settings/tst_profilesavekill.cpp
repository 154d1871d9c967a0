#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <random>

namespace {

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

// A save killed at any moment leaves the old profile or the new one whole.
class TestProfileSaveKill : public QObject {
    Q_OBJECT
private slots:
    void killLeavesOneWholeProfile();
};

void TestProfileSaveKill::killLeavesOneWholeProfile()
{
    const QByteArray first = Contents(QStringLiteral(VANEHOLD_TEST_DATA "/profiles/defaults.ini"));
    QByteArray second = first;
    second.replace("[Nmea]\nBoat Speed=1\n", "[Nmea]\nBoat Speed=0\n")
        .replace("Bearing=40\n", "Bearing=212.5\n")
        .replace("Desired 1= 45\n", "Desired 1=-38\n")
        .replace("[Polar Window]\nVisible=False\n", "[Polar Window]\nVisible=True\n");
    QCOMPARE(second.size(), first.size() + 2);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Vanehold.ini"));
    std::mt19937 random(2024);
    std::uniform_int_distribution<unsigned long> pause(0, 20000);
    int seen[2] = {0, 0};
    for (int trial = 0; trial < 50; ++trial) {
        QProcess saver;
        saver.start(QStringLiteral(PROFILE_SAVE_LOOP), {file});
        QVERIFY(saver.waitForReadyRead(30000));
        QThread::usleep(pause(random));
        saver.kill();
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
        const QByteArray text = Contents(file);
        QVERIFY2(text == first || text == second, text.constData());
        ++seen[text == second];
    }
    qInfo("old set %d times, new set %d times", seen[0], seen[1]);
}

QTEST_GUILESS_MAIN(TestProfileSaveKill)
#include "tst_profilesavekill.moc"
