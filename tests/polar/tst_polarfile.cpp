// Reading and writing polar files: the hand-written files of
// tests/data/polars, generated oversize files and a save-and-read-back.

#include "PolarTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
private slots:
    void read_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<float>("factor");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");   // a final '*' stands for any description
        QTest::addColumn<QList<int>>("counts"); // rows and columns after the read
        QTest::addColumn<QList<float>>("cells"); // row, column, value; ...
        const QString mismatch = QStringLiteral("Polar File Error: Number of Columns Mismatch");
        const QString noTwa = QStringLiteral("Polar File Error: No TWA Data");
        // Before each read the table has 5 rows and 4 columns of 99.
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
                                             << QList<int>{3, 2} << QList<float>{3, 2, 9};
        QTest::newRow("empty file") << DataFile("empty.pol") << 1.0f << true << "" << QList<int>{5, 4}
                                    << QList<float>{1, 1, 99};
        QTest::newRow("no final line feed") << DataFile("no-final-lf.pol") << 1.0f << false << "" << QList<int>{2, 2}
                                            << QList<float>{3, 0, 150, 3, 2, 9};
        QTest::newRow("text after and instead of numbers") << DataFile("text-cells.pol") << 1.0f << true << ""
                                                           << QList<int>{2, 2} << QList<float>{1, 1, 6, 1, 2, 0, 2, 1, 7.5f};
        QTest::newRow("short row") << DataFile("short-row.pol") << 1.0f << false << mismatch << QList<int>{1, 2}
                                   << QList<float>{1, 2, 6};
        QTest::newRow("beyond single precision") << DataFile("overflow.pol") << 1.0f << false
                                                 << "Polar File Error: Overflow" << QList<int>{0, 2} << QList<float>{};
        QTest::newRow("full table") << DataFile("full-200x50.pol") << 1.0f << true << "" << QList<int>{200, 50}
                                    << QList<float>{200, 0, 100, 0, 50, 50, 200, 50, 1.5f};
        QTest::newRow("51 columns") << DataFile("wide-51.pol") << 1.0f << false
                                    << "Polar File Error: More than 50 Wind Speed Columns" << QList<int>{5, 4}
                                    << QList<float>{};
        QTest::newRow("201 rows") << DataFile("long-201.pol") << 1.0f << false
                                  << "Polar File Error: More than 200 Wind Angle Rows" << QList<int>{200, 2}
                                  << QList<float>{200, 0, 100};
        QTest::newRow("missing file") << DataFile("none.pol") << 1.0f << false << "Polar File Error: *"
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
        QString shown;
        QTEST(t->PolarFileRead(0, file, factor, shown), "ok");
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
        QVERIFY(t->PolarFileWrite(0, path, message));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("TWA\t7\t10\r\n40\t4.0\t6.1\r\n91\t6.0\t8.0\r\n"));
        QVERIFY(t->PolarFileRead(1, path, 1, message));
        const float rounded[3][3] = {{0, 7, 10}, {40, 4.0f, 6.1f}, {91, 6.0f, 8}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(t->m_fPolar[1][r][c], rounded[r][c]);

        QVERIFY(!t->PolarFileWrite(0, QStringLiteral("/nonexistent-folder/x.pol"), message));
        QVERIFY(message.startsWith(QStringLiteral("Polar File Error: ")));
    }
};

QTEST_GUILESS_MAIN(TestPolarFile)
#include "tst_polarfile.moc"
