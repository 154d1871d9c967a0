// The help window in the program: F1 from the main window, the dialogs and
// a modal message box; its contents list and its find box.

#include "../util/Engage.h"
#include "FakeSerialPort.h"
#include "frmHelp.h"
#include "frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWindow>

#include <functional>
#include <memory>

using WindowOf = std::function<QWidget*(frmMain&)>;
Q_DECLARE_METATYPE(WindowOf)

class TestHelp : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;

    frmHelp& Help() { return m_window->Help(); }
    template <typename T>
    T* Find(const char* name) { return Help().findChild<T*>(QLatin1String(name)); }
    QString Count() { return Find<QLabel>("lblFind")->text(); }
    static void Activate(QWidget* window)
    {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        MainWindowSetup setup;
        setup.Choose = SteerTheBox;
        setup.ManualTimers = true;
        setup.Core.ManualTimers = true;
        setup.Core.Ports = [](QObject* parent) { return new FakeSerialPort(parent); };
        setup.Core.ProfileFile = m_dir->filePath(QStringLiteral("Vanehold.ini"));
        setup.Polar.MessageBox = [](QWidget*, const QString&, const QString&) {};
        m_window = std::make_unique<frmMain>(setup);
        m_window->Form_Load();
        m_window->show();
    }
    void cleanup() { m_window.reset(); }

    void f1OpensHelpFromAnyWindow_data()
    {
        QTest::addColumn<WindowOf>("window");
        QTest::newRow("main window") << WindowOf([](frmMain& w) { return static_cast<QWidget*>(&w); });
        QTest::newRow("Options") << WindowOf([](frmMain& w) { return static_cast<QWidget*>(&w.Options()); });
        QTest::newRow("Tack") << WindowOf([](frmMain& w) { return static_cast<QWidget*>(&w.TackWindow()); });
        QTest::newRow("History") << WindowOf([](frmMain& w) { return static_cast<QWidget*>(&w.HistoryWindow()); });
        QTest::newRow("Polar") << WindowOf([](frmMain& w) { return static_cast<QWidget*>(&w.PolarWindow()); });
    }
    void f1OpensHelpFromAnyWindow()
    {
        QFETCH(WindowOf, window);
        QWidget* front = window(*m_window);
        Activate(front);
        QTest::keyClick(front, Qt::Key_F1);
        QCOMPARE(Help().windowTitle(), QStringLiteral("Vanehold - Help"));
        QVERIFY(QTest::qWaitForWindowActive(&Help()));
        QCOMPARE(Help().windowModality(), Qt::NonModal);
    }

    // A window under a modal dialog takes no input: the help goes over it,
    // and is modeless again once the dialog is gone.
    void f1OverAModalDialogOpensAUsableHelp()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vanehold"), QString(), QMessageBox::Ok, m_window.get());
        box.setWindowModality(Qt::ApplicationModal);
        Activate(&box);
        QTest::keyClick(&box, Qt::Key_F1);
        QCOMPARE(QGuiApplication::modalWindow(), Help().windowHandle());
        QVERIFY(QTest::qWaitForWindowActive(&Help()));
        QTest::keyClicks(Find<QLineEdit>("txtFind"), QStringLiteral("bandwidth"));
        QVERIFY(Count().startsWith(QStringLiteral("1 of ")));

        Help().close();
        box.hide();
        Activate(m_window.get());
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        QCOMPARE(Help().windowModality(), Qt::NonModal);
    }

    void contentsLeadToEachTopic_data()
    {
        QTest::addColumn<QString>("section");
        for (const char* topic : {"Modes", "Keys", "Alarms", "The Options dialog", "Input", "Data", "Output",
                                  "Tracking", "Simulate", "The Tack dialog", "Polar files", "Record and replay",
                                  "Serial and network ports"})
            QTest::newRow(topic) << QString::fromLatin1(topic);
    }
    void contentsLeadToEachTopic()
    {
        QFETCH(QString, section);
        Help().ShowHelp();
        auto* contents = Find<QTreeWidget>("lstContents");
        const auto items = contents->findItems(section, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(items.size(), 1);
        contents->setCurrentItem(items.first());
        auto* manual = Find<QTextBrowser>("txtManual");
        QCOMPARE(manual->cursorForPosition(QPoint(0, 2)).block().text().trimmed(), section);
    }

    // Case ignored, every place counted, the first shown with its section
    // chosen; Enter walks round the places, Shift+Enter back.
    void findShowsEachPlace_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("section");
        QTest::newRow("one place") << "multiplexer" << "Serial and network ports";
        QTest::newRow("case ignored") << "RESPONCE" << "Tracking";
        QTest::newRow("several") << "overshoot" << "Tracking";
        QTest::newRow("nowhere") << "spinnaker" << "";
    }
    void findShowsEachPlace()
    {
        QFETCH(QString, word);
        QFETCH(QString, section);
        Help().ShowHelp();
        auto* manual = Find<QTextBrowser>("txtManual");
        const auto places = manual->toPlainText().count(word, Qt::CaseInsensitive);
        auto* find = Find<QLineEdit>("txtFind");
        QTest::keyClicks(find, word);
        const QString of = QStringLiteral(" of ") + QString::number(places);
        QCOMPARE(Count(), places ? QStringLiteral("1") + of : QStringLiteral("Not found"));
        QCOMPARE(manual->textCursor().selectedText().toLower(), places ? word.toLower() : QString());
        if (places)
            QCOMPARE(Help().CurrentSection(), section);
        for (int i = 1; i <= places; ++i)
            QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(Count(), places ? QStringLiteral("1") + of : QStringLiteral("Not found"));
        QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(Count(), places ? QString::number(places) + of : QStringLiteral("Not found"));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_frmhelp.moc"
