// A day's work in the demo window on a real X server (run under xvfb-run): each
// step is photographed from the screen, and each picture must show a window.
// TARSEL_SCREENSHOT_DIR names the folder for the pictures (scripts/screenshots.sh
// takes the README's from there); without it they go to a temporary folder.

#include "demo/host/DemoHost.h"
#include "demo/host/DemoOptions.h"
#include "host/core/MainWindow.h"
#include "host/report/FastReportWidget.h"
#include "tests/demo/plugin/VcfTestSupport.h"
#include "tests/support/ModalDialog.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include <map>

class TestGuiWalkthrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("Needs an X server: ctest runs this under xvfb-run");
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_work.isValid());
        QVERIFY(copyTree(QStringLiteral(TARSEL_DEMO_DATA_DIR), m_work.filePath(QStringLiteral("data"))));
        m_sPictures = qEnvironmentVariable("TARSEL_SCREENSHOT_DIR", m_work.filePath(QStringLiteral("pictures")));
        QVERIFY(QDir().mkpath(m_sPictures));
    }

    void analysisOfTwoSamplesWithTheKeyboard()
    {
        SDemoOptions options;
        options.dataDir = m_work.filePath(QStringLiteral("data"));
        options.gui = true;
        CDemoHost host;
        QVERIFY(host.ShowWindow(options));
        NTarsel::CMainWindow* window = host.window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        photograph(QStringLiteral("1-overview"));

        // Analysis, as a click on its toolbar button.
        QAction* analysis = window->findChild<QAction*>(QStringLiteral("GenotyperAnalysisAction"));
        // The button of the toolbar shown now: entering analysis mode brings another.
        const auto analysisButton = [window, analysis] {
            QWidget* button = nullptr;
            for (QToolBar* bar : window->findChildren<QToolBar*>()) {
                if (bar->actions().contains(analysis) && bar->isVisible())
                    button = bar->widgetForAction(analysis);
            }
            return button;
        };
        QVERIFY(analysisButton());
        QTest::mouseClick(analysisButton(), Qt::LeftButton);
        QCOMPARE(window->GetState(), NTarsel::MainWindowStateAnalysis);
        auto* viewer = window->findChild<NFastReport::CFastReportWidget*>(QStringLiteral("GenotyperReportViewer"));
        QTRY_VERIFY(viewer->HasReport());
        QVERIFY(viewer->ReportText().contains(QStringLiteral("DR2612-01")));
        photograph(QStringLiteral("2-analysis-mode"));

        // The next sample, with the arrow key in the selector.
        auto* selector = window->findChild<QComboBox*>(QStringLiteral("GenotyperSampleSelector"));
        selector->setFocus(Qt::TabFocusReason);
        QTest::keyClick(selector, Qt::Key_Down);
        QCOMPARE(selector->currentText(), QStringLiteral("DR2612-02"));
        QTRY_VERIFY(viewer->ReportText().contains(QStringLiteral("DR2612-02")));
        QVERIFY(!viewer->ReportText().contains(QStringLiteral("DR2612-01")));
        QVERIFY(window->windowTitle().contains(QStringLiteral("DR2612-02")));
        photograph(QStringLiteral("3-second-sample"));

        // The data dialog, opened, filled in and accepted with the keyboard.
        QVERIFY(!window->statusBar()->currentMessage().contains(QStringLiteral("data changed")));
        NHostTest::WhenModal([this](QWidget* dialog) {
            photograph(QStringLiteral("4-data-dialog"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("PatientFioEdit"));
            name->setFocus(Qt::TabFocusReason);
            name->selectAll();
            QTest::keyClicks(name, QStringLiteral("Berg Anna"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(viewer->ReportText().contains(QStringLiteral("Berg Anna")));
        QVERIFY(window->statusBar()->currentMessage().contains(QStringLiteral("data changed")));

        // The print preview shows the report's pages.
        int previewPages = 0;
        NHostTest::WhenModal([this, &previewPages](QWidget* dialog) {
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            previewPages = preview ? preview->pageCount() : 0;
            photograph(QStringLiteral("5-print-preview"));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        viewer->findChild<QAction*>(QStringLiteral("PrintPreviewAction"))->trigger();
        QCOMPARE(previewPages, viewer->PageCount());

        // Back in the overview, on the sample just reported.
        QVERIFY(analysisButton());
        QTest::mouseClick(analysisButton(), Qt::LeftButton);
        QCOMPARE(window->GetState(), NTarsel::MainWindowStateNormal);
        QCOMPARE(window->findChild<QTreeWidget*>()->currentItem()->text(1), QStringLiteral("DR2612-02"));
        photograph(QStringLiteral("6-back-in-the-overview"));

    }

private:
    // Saves the screen as name.png and checks that it shows more than an empty screen.
    void photograph(const QString& name)
    {
        QApplication::processEvents();
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        QVERIFY(screen.save(QDir(m_sPictures).filePath(name + QStringLiteral(".png"))));
        const QImage small = screen.scaledToWidth(320).convertToFormat(QImage::Format_RGB32);
        std::map<QRgb, int> colours;
        for (int y = 0; y < small.height(); ++y) {
            for (int x = 0; x < small.width(); ++x)
                ++colours[small.pixel(x, y)];
        }
        int commonest = 0;
        for (const auto& colour : colours)
            commonest = qMax(commonest, colour.second);
        QVERIFY2(colours.size() > 30 && commonest < small.width() * small.height() * 9 / 10,
                 qPrintable(QStringLiteral("%1 looks blank: %2 colours").arg(name).arg(colours.size())));
    }

    QTemporaryDir m_work;
    QString m_sPictures;
};

QTEST_MAIN(TestGuiWalkthrough)
#include "tst_GuiWalkthrough.moc"
