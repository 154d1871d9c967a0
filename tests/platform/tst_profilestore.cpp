#include "ProfileStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(VANEHOLD_TEST_DATA "/profiles/");

QByteArray Contents(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestProfileStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void read_data();
    void read();
    void readMissingFileGivesDefault();
    void firstSectionAndKeyWin();
    void writeKeepsEverythingElse();
    void writeKeepsCrLf();
    void writeAfterLastLineWithoutEnd();
    void writeCreatesFile();
    void writeUnchangedValueLeavesFile();
    void writeRejectsBrokenNames_data();
    void writeRejectsBrokenNames();
    void writeFailureIsReported();
    void readOnlyProfileIsLeftAlone();
    void latin1RoundTrip();
    void byteOrderMarkIsSkipped();
    void batchSkipsRefusedKeys();
    void readOncePerLoad_data();
    void readOncePerLoad();
    void indexFollowsWrites_data();
    void indexFollowsWrites();

private:
    QTemporaryDir m_dir;
    QString Copy(const QString& name);
};

void TestProfileStore::init()
{
    ProfileStore::SetClock({});
    QVERIFY(m_dir.isValid());
    for (const QString& entry : QDir(m_dir.path()).entryList(QDir::Files))
        QFile::remove(m_dir.filePath(entry));
}

QString TestProfileStore::Copy(const QString& name)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    if (!QFile::copy(kData + name, path))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void TestProfileStore::read_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("value");

    const QString long79 = QString("0123456789").repeated(8).left(79);
    QTest::newRow("blanks around key and value") << "Nmea" << "Boat Speed" << "" << 1 << "0";
    QTest::newRow("names in any case") << "nMEA" << "HEADING" << "" << 1 << "0";
    QTest::newRow("field form loses its blank") << "Pilot" << "Port" << "" << 1 << "7";
    QTest::newRow("same key, other section") << "NMEA" << "Port" << "" << 1 << "3";
    QTest::newRow("fraction") << "PILOT" << "bearing" << "" << 5 << "212.5";
    QTest::newRow("lower-case boolean text") << "Nmea" << "Sentence HDG" << "" << 5 << "false";
    QTest::newRow("empty value") << "Nmea" << "Empty" << "" << 0 << "";
    QTest::newRow("empty value ignores default") << "Nmea" << "Empty" << "0" << 0 << "";
    QTest::newRow("missing key, default 0") << "Nmea" << "Missing" << "0" << 1 << "0";
    QTest::newRow("missing key, default empty") << "Nmea" << "Missing" << "" << 0 << "";
    QTest::newRow("missing section") << "Track" << "Alarm" << "" << 0 << "";
    QTest::newRow("100 characters arrive as 79") << "Nmea" << "Long" << "" << 79 << long79;
    QTest::newRow("quotes removed") << "Nmea" << "Quoted" << "" << 10 << "  spaced  ";
    QTest::newRow("key outside sections") << "" << "Orphan" << "" << 0 << "";
    QTest::newRow("line without equals sign") << "Pilot" << "Note without equals sign" << "" << 0 << "";
    QTest::newRow("comment is no key") << "Nmea" << "; the wind averages below are in seconds" << "" << 0 << "";
    QTest::newRow("section after a comment") << "Simulate" << "Nmea" << "" << 4 << "True";
}

void TestProfileStore::read()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, defaultText);
    QFETCH(int, n);
    QFETCH(QString, value);
    QString got = QStringLiteral("untouched");
    QCOMPARE(ProfileStore::Read(kData + "handwritten.ini", section, key, defaultText, got), n);
    QCOMPARE(got, value);
}

void TestProfileStore::readMissingFileGivesDefault()
{
    QString got;
    QCOMPARE(ProfileStore::Read(m_dir.filePath("none.ini"), u"Nmea", u"Port", u"0", got), 1);
    QCOMPARE(got, QStringLiteral("0"));
    QCOMPARE(ProfileStore::Read(m_dir.filePath("none.ini"), u"Nmea", u"Port", u"", got), 0);
    const QString longDefault(100, QLatin1Char('x'));
    QCOMPARE(ProfileStore::Read(m_dir.filePath("none.ini"), u"Nmea", u"Port", longDefault, got), 79);
}

void TestProfileStore::firstSectionAndKeyWin()
{
    const QString path = m_dir.filePath("twice.ini");
    Put(path, "[Nmea]\nPort=1\nport=2\n[Pilot]\nPort=3\n[nmea]\nPort=4\nHeading=0\n");
    QString got;
    QCOMPARE(ProfileStore::Read(path, u"Nmea", u"Port", u"", got), 1);
    QCOMPARE(got, QStringLiteral("1"));
    // A key only in the second section of the same name is not seen.
    QCOMPARE(ProfileStore::Read(path, u"Nmea", u"Heading", u"", got), 0);

    QVERIFY(ProfileStore::Write(path, u"NMEA", u"PORT", u"8"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Heading", u"1"));
    QCOMPARE(Contents(path),
             QByteArray("[Nmea]\nPort=8\nport=2\nHeading=1\n[Pilot]\nPort=3\n[nmea]\nPort=4\nHeading=0\n"));
}

void TestProfileStore::writeKeepsEverythingElse()
{
    const QString path = Copy("handwritten.ini");
    QVERIFY(ProfileStore::Write(path, u"nmea", u"boat speed", u"1"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"True Wind Average", u"2.5"));
    QVERIFY(ProfileStore::Write(path, u"Pilot", u"Added", u" 5"));
    QVERIFY(ProfileStore::Write(path, u"Track", u"Alarm", u"False"));
    QVERIFY(ProfileStore::Write(path, u"pilot", u"port", u" 7"));
    QCOMPARE(Contents(path), Contents(kData + "handwritten-written.ini"));

    QString got;
    QCOMPARE(ProfileStore::Read(path, u"Pilot", u"Added", u"", got), 1);
    QCOMPARE(got, QStringLiteral("5"));
}

void TestProfileStore::writeKeepsCrLf()
{
    const QString path = Copy("crlf.ini");
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"6"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Heading", u"0"));
    QVERIFY(ProfileStore::Write(path, u"History Window", u"Visible", u"True"));
    QCOMPARE(Contents(path), Contents(kData + "crlf-written.ini"));
    QString got;
    QCOMPARE(ProfileStore::Read(path, u"Pilot", u"Port", u"", got), 1);
    QCOMPARE(got, QStringLiteral("5"));
}

void TestProfileStore::writeAfterLastLineWithoutEnd()
{
    const QString path = Copy("noeol.ini");
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Heading", u"1"));
    QCOMPARE(Contents(path), QByteArray("[Nmea]\nPort=5\nHeading=1\n"));
}

void TestProfileStore::writeCreatesFile()
{
    const QString path = m_dir.filePath("new.ini");
    QVERIFY(ProfileStore::Write(path, u"Pilot", u"Port", u" 5"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"5"));
    QVERIFY(ProfileStore::Write(path, u"Pilot", u"Bearing", u"40"));
    QCOMPARE(Contents(path), QByteArray("[Pilot]\nPort= 5\nBearing=40\n[Nmea]\nPort=5\n"));
    // Only the profile itself is left in the folder.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"new.ini"});
}

void TestProfileStore::writeUnchangedValueLeavesFile()
{
    const QString path = m_dir.filePath("same.ini");
    Put(path, "[Nmea]\n  Port = 5\n");
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"5"));
    QCOMPARE(Contents(path), QByteArray("[Nmea]\nPort=5\n"));
    QFile::remove(path);
    Put(path, "[Nmea]\nPort=5\n");
    const QDateTime old = QFileInfo(path).lastModified().addSecs(-3600);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"5"));
    QCOMPARE(QFileInfo(path).lastModified(), old);
}

void TestProfileStore::writeRejectsBrokenNames_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("line break in value") << "Nmea" << "Port" << "5\n[Evil]";
    QTest::newRow("carriage return in value") << "Nmea" << "Port" << "5\r";
    QTest::newRow("line break in key") << "Nmea" << "Po\nrt" << "5";
    QTest::newRow("equals sign in key") << "Nmea" << "Po=rt" << "5";
    QTest::newRow("key like a section") << "Nmea" << "[Port" << "5";
    QTest::newRow("key like a comment") << "Nmea" << ";Port" << "5";
    QTest::newRow("empty key") << "Nmea" << " " << "5";
    QTest::newRow("bracket in section") << "Nm]ea" << "Port" << "5";
    QTest::newRow("line break in section") << "Nm\nea" << "Port" << "5";
}

void TestProfileStore::writeRejectsBrokenNames()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QString path = m_dir.filePath("guard.ini");
    Put(path, "[Nmea]\nPort=5\n");
    QVERIFY(!ProfileStore::Write(path, section, key, value));
    QCOMPARE(Contents(path), QByteArray("[Nmea]\nPort=5\n"));
}

void TestProfileStore::writeFailureIsReported()
{
    QVERIFY(!ProfileStore::Write(m_dir.filePath("no/such/folder/x.ini"), u"Nmea", u"Port", u"5"));
    // A folder where the file should be cannot be replaced.
    QVERIFY(QDir(m_dir.path()).mkdir("taken.ini"));
    QVERIFY(!ProfileStore::Write(m_dir.filePath("taken.ini"), u"Nmea", u"Port", u"5"));
    QVERIFY(QFileInfo(m_dir.filePath("taken.ini")).isDir());
    QDir(m_dir.filePath("taken.ini")).removeRecursively();
}

void TestProfileStore::readOnlyProfileIsLeftAlone()
{
    if (geteuid() == 0)
        QSKIP("file modes do not stop root");
    const QString path = m_dir.filePath("frozen.ini");
    Put(path, "[Nmea]\nPort=5\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    QVERIFY(!ProfileStore::Write(path, u"Nmea", u"Port", u"6"));
    QCOMPARE(Contents(path), QByteArray("[Nmea]\nPort=5\n"));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

void TestProfileStore::latin1RoundTrip()
{
    const QString path = m_dir.filePath("latin1.ini");
    Put(path, "[Polar Data]\nFile 1=Sl\xe4""de 60ft.pol\n");
    QString got;
    QCOMPARE(ProfileStore::Read(path, u"Polar Data", u"File 1", u"", got), 14);
    QCOMPARE(got, QString::fromUtf8("Släde 60ft.pol"));
    QVERIFY(ProfileStore::Write(path, u"Polar Data", u"File 2", QString::fromUtf8("Bølge.pol")));
    QCOMPARE(Contents(path), QByteArray("[Polar Data]\nFile 1=Sl\xe4""de 60ft.pol\nFile 2=B\xf8lge.pol\n"));
}

void TestProfileStore::byteOrderMarkIsSkipped()
{
    const QString path = m_dir.filePath("bom.ini");
    Put(path, "\xEF\xBB\xBF[Nmea]\r\nPort=3\r\n");
    QString got;
    QCOMPARE(ProfileStore::Read(path, u"Nmea", u"Port", u"", got), 1);
    QCOMPARE(got, QStringLiteral("3"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"4"));
    QVERIFY(ProfileStore::Write(path, u"Nmea", u"Heading", u"1"));
    QCOMPARE(Contents(path), QByteArray("\xEF\xBB\xBF[Nmea]\r\nPort=4\r\nHeading=1\r\n"));
}

void TestProfileStore::batchSkipsRefusedKeys()
{
    // A key given twice ends as the last write left it.
    const QString path = Copy("noeol.ini");
    QVERIFY(!ProfileStore::WriteBatch(path, {{u"Nmea", u"Heading", "1"}, {u"Nmea", u"Po=rt", "2"},
                                             {u"New", u"Key", "a"}, {u"Nmea", u"Heading", "0"}}));
    QCOMPARE(Contents(path), QByteArray("[Nmea]\nPort=5\nHeading=0\n[New]\nKey=a\n"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"noeol.ini"});
}

// Two loads of a window's keys with the file changed between them. A file
// changed within a tick of the file system's clock ("now" at its change
// time) is read at every use, since a second change in that tick would leave
// the same stamps; an older one once per load, and again only once changed.
void TestProfileStore::readOncePerLoad_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("reads");
    QTest::newRow("nothing") << "none" << false << "5" << 1;
    QTest::newRow("replaced") << "rename" << false << "6" << 2;
    QTest::newRow("written by the store") << "store" << false << "6" << 2;
    QTest::newRow("grown in place") << "append" << false << "6" << 2;
    QTest::newRow("deleted") << "delete" << false << "" << 1;
    QTest::newRow("changed in place within a tick") << "in place" << true << "6" << 2 * 40;
}

void TestProfileStore::readOncePerLoad()
{
    QFETCH(QString, change);
    QFETCH(bool, fresh);
    QFETCH(QString, port);
    QFETCH(int, reads);
    const QString path = m_dir.filePath("window.ini");
    Put(path, "[Nmea]\nPort=5\nHeading=0\n[Pilot]\nPort= 7\n");
    const qint64 changed = QFileInfo(path).metadataChangeTime().toMSecsSinceEpoch();
    ProfileStore::SetClock([=] { return fresh ? changed : changed + 3600 * 1000; });
    const uint64_t before = ProfileStore::FileReads();
    QString got;
    auto load = [&] {
        for (int i = 0; i < 20; ++i) {
            ProfileStore::Read(path, u"Pilot", u"Port", u"", got);
            ProfileStore::Read(path, u"Nmea", u"Port", u"", got);
        }
    };
    load();
    QCOMPARE(got, QStringLiteral("5"));
    if (change == "rename") {
        Put(path + ".new", "[Nmea]\nPort=6\nHeading=0\n[Pilot]\nPort= 7\n");
        QVERIFY(std::rename(qPrintable(path + ".new"), qPrintable(path)) == 0);
    } else if (change == "store") {
        QVERIFY(ProfileStore::Write(path, u"Nmea", u"Port", u"6"));
    } else if (change == "append") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(f.size()));
        f.write("[Nmea]\nPort=4\n");
        QVERIFY(f.seek(12));
        f.write("6");
    } else if (change == "in place") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(12));
        f.write("6");
    } else if (change == "delete") {
        QVERIFY(QFile::remove(path));
    }
    load();
    QCOMPARE(got, port);
    QCOMPARE(ProfileStore::FileReads() - before, uint64_t(reads));
}

// The index kept across writes finds what a fresh read of the file finds.
void TestProfileStore::indexFollowsWrites_data()
{
    QTest::addColumn<QByteArray>("text");
    QFile f(kData + "handwritten.ini");
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTest::newRow("edited by hand") << f.readAll();
    QTest::newRow("sections back to back") << QByteArray("[Nmea]\nPort=5\n[Pilot]\nPort= 7\n[Simulate]\nNmea=True");
}

void TestProfileStore::indexFollowsWrites()
{
    QFETCH(QByteArray, text);
    const QString path = m_dir.filePath("index.ini");
    Put(path, text);
    const QString other = m_dir.filePath("other.ini");
    Put(other, "[Nmea]\nPort=1\n");
    QVERIFY(ProfileStore::WriteBatch(path, {{u"Pilot", u"Bearing", "7"}, {u"nmea", u"boat speed", "12345"},
                                            {u"Track", u"Alarm", "True"}, {u"Nmea", u"Added", "a"},
                                            {u"Track", u"Limit", "9"}, {u"Pilot", u"Port", ""},
                                            {u"Simulate", u"Nmea", "False"}}));
    const QList<std::pair<QString, QString>> keys{
        {"Pilot", "Bearing"}, {"Nmea", "Boat Speed"}, {"Track", "Alarm"}, {"Nmea", "Added"},
        {"Track", "Limit"},   {"Pilot", "Port"},      {"Simulate", "Nmea"}, {"Nmea", "Heading"},
        {"Nmea", "Long"},     {"Nmea", "Quoted"},     {"NMEA", "Port"}};
    auto values = [&] {
        QStringList all;
        QString got;
        for (const auto& [section, key] : keys)
            all << QString::number(ProfileStore::Read(path, section, key, u"-", got)) + got;
        return all;
    };
    const QStringList kept = values();
    QString got;
    ProfileStore::Read(other, u"Nmea", u"Port", u"", got);
    QCOMPARE(kept, values());
    QCOMPARE(kept.mid(0, 7), QStringList({"17", "512345", "4True", "1a", "19", "0", "5False"}));
}

QTEST_GUILESS_MAIN(TestProfileStore)
#include "tst_profilestore.moc"
