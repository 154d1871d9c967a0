// Reading and writing polar files: the hand-written files of
// tests/data/polars, generated oversize files and a save-and-read-back.

#include "PolarTable.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QString DataFile(const char* name)
{
    return QStringLiteral(VANEHOLD_TEST_DATA "/polars/") + QLatin1String(name);
}

// A table with 5 rows and 4 columns of 99, to see what a read leaves.
std::unique_ptr<PolarTable> PrimedTable()
{
    auto t = std::make_unique<PolarTable>();
    for (int r = 0; r <= 5; ++r)
        for (int c = 0; c <= 4; ++c)
            t->m_fPolar[0][r][c] = 99;
    t->m_iPolarRows[0] = 5;
    t->m_iPolarCols[0] = 4;
    return t;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        // "row,col=value" cells to check, separated by ';'.
        QTest::addColumn<QString>("cells");
        const QString mismatch = QStringLiteral("Polar File Error: Number of Columns Mismatch");
        const QString noTwa = QStringLiteral("Polar File Error: No TWA Data");
        const QString small = QStringLiteral("0,1=6;0,2=10;1,0=40;3,0=150;1,1=4;2,2=8;3,2=9");
        QTest::newRow("LF") << DataFile("small-lf.pol") << 1.0f << true << "" << 3 << 2 << small;
        QTest::newRow("CR LF") << DataFile("small-crlf.pol") << 1.0f << true << "" << 3 << 2 << small;
        QTest::newRow("factor 0.9") << DataFile("small-lf.pol") << 0.9f << true << "" << 3 << 2
                                    << "0,2=10;3,0=150;1,1=3.6;3,2=8.1";
        QTest::newRow("TWA and CR alone") << DataFile("twa-only.pol") << 1.0f << false << noTwa << 5 << 4 << "1,1=99";
        QTest::newRow("lower-case twa") << DataFile("lower-twa.pol") << 1.0f << false << noTwa << 5 << 4 << "";
        QTest::newRow("trailing blank line") << DataFile("trailing-blank.pol") << 1.0f << false << mismatch << 3 << 2
                                             << "3,2=9";
        QTest::newRow("empty file") << DataFile("empty.pol") << 1.0f << true << "" << 5 << 4 << "1,1=99";
        QTest::newRow("no final line feed") << DataFile("no-final-lf.pol") << 1.0f << false << "" << 2 << 2
                                            << "3,0=150;3,2=9";
        QTest::newRow("text after and instead of numbers")
            << DataFile("text-cells.pol") << 1.0f << true << "" << 2 << 2 << "1,1=6;1,2=0;2,1=7.5";
        QTest::newRow("short row") << DataFile("short-row.pol") << 1.0f << false << mismatch << 1 << 2 << "1,2=6";
        QTest::newRow("beyond single precision")
            << DataFile("overflow.pol") << 1.0f << false << "Polar File Error: Overflow" << 0 << 2 << "";
        QTest::newRow("missing file") << DataFile("none.pol") << 1.0f << false << "Polar File Error: *" << 5 << 4
                                      << "";
    }
    void read()
    {
        QFETCH(QString, file);
        QFETCH(float, factor);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(QString, cells);
        auto t = PrimedTable();
        QString shown;
        QCOMPARE(t->PolarFileRead(0, file, factor, shown), ok);
        if (message.endsWith(QLatin1Char('*')))
            QVERIFY2(shown.startsWith(message.chopped(1)) && shown.size() > message.size(), qPrintable(shown));
        else
            QCOMPARE(shown, message);
        QCOMPARE(int(t->m_iPolarRows[0]), rows);
        QCOMPARE(int(t->m_iPolarCols[0]), cols);
        for (const QString& cell : cells.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList parts = cell.split(QRegularExpression(QStringLiteral("[,=]")));
            const float value = t->m_fPolar[0][parts[0].toInt()][parts[1].toInt()];
            QVERIFY2(qAbs(value - parts[2].toFloat()) < 1e-5f, qPrintable(cell + QStringLiteral(" got ")
                                                                          + QString::number(value)));
        }
    }

    void size_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rowsKept");
        QTest::newRow("full table") << 200 << 50 << "" << 200;
        QTest::newRow("51 columns") << 3 << 51 << "Polar File Error: More than 50 Wind Speed Columns" << 0;
        QTest::newRow("201 rows") << 201 << 2 << "Polar File Error: More than 200 Wind Angle Rows" << 200;
    }
    void size()
    {
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(QString, message);
        QFETCH(int, rowsKept);
        QByteArray text = "TWA";
        for (int c = 1; c <= cols; ++c)
            text += '\t' + QByteArray::number(c);
        text += '\n';
        for (int r = 1; r <= rows; ++r) {
            text += QByteArray::number(r * 0.5);
            for (int c = 1; c <= cols; ++c)
                text += "\t1.5";
            text += '\n';
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.pol"));
        WriteFile(path, text);
        PolarTable t;
        QString shown;
        QCOMPARE(t.PolarFileRead(1, path, 1, shown), message.isEmpty());
        QCOMPARE(shown, message);
        QCOMPARE(int(t.m_iPolarRows[1]), rowsKept);
        // Nothing lands in the next polar.
        QCOMPARE(t.m_fPolar[2][0][0], 0.0f);
    }

    void saveAndReadBack()
    {
        PolarTable t;
        const float cells[3][3] = {{0, 6.5f, 10}, {40.4f, 4.04f, 6.05f}, {90.6f, 5.96f, 8}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                t.m_fPolar[0][r][c] = cells[r][c];
        t.m_iPolarRows[0] = 2;
        t.m_iPolarCols[0] = 2;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.pol"));
        WriteFile(path, "an older, longer file that is replaced");
        QString message;
        QVERIFY(t.PolarFileWrite(0, path, message));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("TWA\t7\t10\r\n40\t4.0\t6.1\r\n91\t6.0\t8.0\r\n"));

        PolarTable back;
        QVERIFY(back.PolarFileRead(0, path, 1, message));
        const float rounded[3][3] = {{0, 7, 10}, {40, 4.0f, 6.1f}, {91, 6.0f, 8}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(back.m_fPolar[0][r][c], rounded[r][c]);
    }

    void writeFailureIsReported()
    {
        PolarTable t;
        QString message;
        QVERIFY(!t.PolarFileWrite(0, QStringLiteral("/nonexistent-folder/x.pol"), message));
        QVERIFY(message.startsWith(QStringLiteral("Polar File Error: ")));
    }
};

QTEST_GUILESS_MAIN(TestPolarFile)
#include "tst_polarfile.moc"
