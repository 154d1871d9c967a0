// Reading and writing polar files: the hand-written files of
// tests/data/polars, generated oversize files and a save-and-read-back.
// A read that fails leaves the polar exactly as it was.

#include "PolarTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

QString DataFile(const char* name)
{
    return QStringLiteral(VANEHOLD_TEST_DATA "/polars/") + QLatin1String(name);
}

QString Write(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("test.pol"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace

class TestPolarFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void read_data()
    {
        // A good header, then blanks past 1 MB.
        const QString big = Write(m_dir, "TWA\t6\n40\t" + QByteArray(1024 * 1024, ' '));
        QTest::addColumn<QString>("file");
        QTest::addColumn<float>("factor");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");   // a final '*' stands for any description
        QTest::addColumn<QList<int>>("counts"); // rows and columns after the read
        QTest::addColumn<QList<float>>("cells"); // row, column, value; ...
        const QString mismatch = QStringLiteral("Polar File Error: Number of Columns Mismatch");
        const QString noTwa = QStringLiteral("Polar File Error: No TWA Data");
        const QString place = QStringLiteral(" in Row %1, Column %2");
        // Before each read the table has 5 rows and 4 columns of 99; a
        // failed read leaves all of it (checked whole in read()).
        const QList<float> small{0, 1, 6, 0, 2, 10, 1, 0, 40, 3, 0, 150, 1, 1, 4, 2, 2, 8, 3, 2, 9};
        QTest::newRow("LF") << DataFile("small-lf.pol") << 1.0f << true << "" << QList<int>{3, 2} << small;
        QTest::newRow("CR LF") << DataFile("small-crlf.pol") << 1.0f << true << "" << QList<int>{3, 2} << small;
        QTest::newRow("factor 0.9") << DataFile("small-lf.pol") << 0.9f << true << "" << QList<int>{3, 2}
                                    << QList<float>{0, 2, 10, 3, 0, 150, 1, 1, 3.6f, 3, 2, 8.1f};
        QTest::newRow("TWA and CR alone") << DataFile("twa-only.pol") << 1.0f << false << noTwa << QList<int>{5, 4}
                                          << QList<float>{1, 1, 99};
        QTest::newRow("lower-case twa") << DataFile("lower-twa.pol") << 1.0f << false << noTwa << QList<int>{5, 4}
                                        << QList<float>{};
        QTest::newRow("trailing blank line") << DataFile("trailing-blank.pol") << 1.0f << false << mismatch
                                             << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("empty file") << DataFile("empty.pol") << 1.0f << false << noTwa << QList<int>{5, 4}
                                    << QList<float>{};
        // A whole last row counts without its line feed.
        QTest::newRow("no final line feed") << DataFile("no-final-lf.pol") << 1.0f << true << "" << QList<int>{3, 2}
                                            << QList<float>{3, 0, 150, 3, 2, 9};
        QTest::newRow("text after and instead of numbers") << DataFile("text-cells.pol") << 1.0f << true << ""
                                                           << QList<int>{2, 2} << QList<float>{1, 1, 6, 1, 2, 0, 2, 1, 7.5f};
        QTest::newRow("short row") << DataFile("short-row.pol") << 1.0f << false << mismatch << QList<int>{5, 4}
                                   << QList<float>{};
        const QString above = QStringLiteral("Polar File Error: Speed above 100 Kts") + place;
        QTest::newRow("beyond single precision") << DataFile("overflow.pol") << 1.0f << false << above.arg(2).arg(3)
                                                 << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("3e38") << DataFile("above-ceiling.pol") << 1.0f << false << above.arg(3).arg(2)
                              << QList<int>{5, 4} << QList<float>{};
        // The ceiling holds for the scaled speeds: 4 x 30 = 120.
        QTest::newRow("factor past the ceiling") << DataFile("small-lf.pol") << 30.0f << false << above.arg(2).arg(2)
                                                 << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("negative speed") << DataFile("negative.pol") << 1.0f << false
                                        << QStringLiteral("Polar File Error: Negative Speed") + place.arg(2).arg(3)
                                        << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("decimal comma") << DataFile("decimal-comma.pol") << 1.0f << false
                                       << QStringLiteral("Polar File Error: Decimal Comma") + place.arg(2).arg(2)
                                       << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("angle 181") << DataFile("angle-181.pol") << 1.0f << false
                                   << QStringLiteral("Polar File Error: Wind Angle outside 0 to 180")
                                          + place.arg(3).arg(1)
                                   << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("no wind speeds") << DataFile("no-columns.pol") << 1.0f << false
                                        << "Polar File Error: No Wind Speed Columns" << QList<int>{5, 4}
                                        << QList<float>{};
        QTest::newRow("full table") << DataFile("full-200x50.pol") << 1.0f << true << "" << QList<int>{200, 50}
                                    << QList<float>{200, 0, 100, 0, 50, 50, 200, 50, 1.5f};
        QTest::newRow("51 columns") << DataFile("wide-51.pol") << 1.0f << false
                                    << "Polar File Error: More than 50 Wind Speed Columns" << QList<int>{5, 4}
                                    << QList<float>{};
        QTest::newRow("201 rows") << DataFile("long-201.pol") << 1.0f << false
                                  << "Polar File Error: More than 200 Wind Angle Rows" << QList<int>{5, 4}
                                  << QList<float>{};
        QTest::newRow("missing file") << DataFile("none.pol") << 1.0f << false << "Polar File Error: *"
                                      << QList<int>{5, 4} << QList<float>{};
        QTest::newRow("a folder") << DataFile("") << 1.0f << false << "Polar File Error: *" << QList<int>{5, 4}
                                  << QList<float>{};
        QTest::newRow("over 1 MB") << big << 1.0f << false << "Polar File Error: File Larger than 1 MB"
                                   << QList<int>{5, 4} << QList<float>{};
    }
    void read()
    {
        QFETCH(QString, file);
        QFETCH(float, factor);
        QFETCH(QString, message);
        QFETCH(QList<float>, cells);
        auto t = std::make_unique<PolarTable>();
        for (int r = 0; r <= 5; ++r)
            for (int c = 0; c <= 4; ++c)
                t->m_fPolar[0][r][c] = 99;
        t->m_iPolarRows[0] = 5;
        t->m_iPolarCols[0] = 4;
        const auto before = std::make_unique<PolarTable>(*t);
        QString shown;
        QFETCH(bool, ok);
        QCOMPARE(t->PolarFileRead(0, file, factor, shown), ok);
        if (!ok)
            QVERIFY(std::memcmp(before.get(), t.get(), sizeof(PolarTable)) == 0);
        if (message.endsWith(QLatin1Char('*')))
            QVERIFY2(shown.startsWith(message.chopped(1)) && shown.size() > message.size(), qPrintable(shown));
        else
            QCOMPARE(shown, message);
        QTEST((QList<int>{t->m_iPolarRows[0], t->m_iPolarCols[0]}), "counts");
        QCOMPARE(t->m_fPolar[1][0][0], 0.0f); // nothing lands in the next polar
        for (int i = 0; i < cells.size(); i += 3)
            QVERIFY2(std::fabs(t->m_fPolar[0][int(cells[i])][int(cells[i + 1])] - cells[i + 2]) < 1e-5f,
                     qPrintable(QString::number(i / 3)));
    }

    void saveAndReadBack()
    {
        auto t = std::make_unique<PolarTable>();
        const float cells[3][3] = {{0, 6.5f, 10}, {40.4f, 4.04f, 6.05f}, {90.6f, 5.96f, 8}};
        std::copy(&cells[0][0], &cells[0][0] + 3, &t->m_fPolar[0][0][0]);
        std::copy(&cells[1][0], &cells[1][0] + 3, &t->m_fPolar[0][1][0]);
        std::copy(&cells[2][0], &cells[2][0] + 3, &t->m_fPolar[0][2][0]);
        t->m_iPolarRows[0] = t->m_iPolarCols[0] = 2;
        QTemporaryDir dir;
        const QString path = Write(dir, "an older, longer file that is replaced");
        QString message;
        auto bytes = [](const QString& name) {
            QFile f(name);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QVERIFY(t->PolarFileWrite(0, path, message));
        const QByteArray saved("TWA\t7\t10\r\n40\t4.0\t6.1\r\n91\t6.0\t8.0\r\n");
        QCOMPARE(bytes(path), saved);
        QVERIFY(t->PolarFileRead(1, path, 1, message));
        const float rounded[3][3] = {{0, 7, 10}, {40, 4.0f, 6.1f}, {91, 6.0f, 8}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(t->m_fPolar[1][r][c], rounded[r][c]);
        // What was read back saves to the same bytes.
        const QString again = dir.filePath(QStringLiteral("again.pol"));
        QVERIFY(t->PolarFileWrite(1, again, message));
        QCOMPARE(bytes(again), saved);

        // A table without wind speeds would not open again: it is not saved,
        // and the file there stays.
        t->m_iPolarCols[1] = 0;
        QVERIFY(!t->PolarFileWrite(1, again, message));
        QCOMPARE(message, QStringLiteral("Polar File Error: No Wind Speed Columns"));
        QCOMPARE(bytes(again), saved);

        QVERIFY(!t->PolarFileWrite(0, QStringLiteral("/nonexistent-folder/x.pol"), message));
        QVERIFY(message.startsWith(QStringLiteral("Polar File Error: ")));
    }
};

QTEST_GUILESS_MAIN(TestPolarFile)
#include "tst_polarfile.moc"
