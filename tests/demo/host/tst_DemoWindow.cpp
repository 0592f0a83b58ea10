#include "demo/host/DemoHost.h"
#include "demo/host/DemoOptions.h"
#include "demo/host/UserDemoProject.h"
#include "host/core/MainWindow.h"
#include "tests/demo/plugin/VcfTestSupport.h"
#include "tests/support/HostFiles.h"
#include "tests/support/ModalDialog.h"

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolBar>

// The demo window as lab staff use it, with the keyboard: the title and the overview
// follow the sample, the data dialog, and quitting with unsaved changes.
class TestDemoWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(copyTree(QStringLiteral(TARSEL_DEMO_DATA_DIR), m_dir.filePath(QStringLiteral("data"))));
        QStandardPaths::setTestModeEnabled(true);
    }

    void windowFollowsTheUserAndAsksBeforeQuitting()
    {
        SDemoOptions options;
        options.dataDir = m_dir.filePath(QStringLiteral("data"));
        options.gui = true;
        const QString projectFile = m_dir.filePath(QStringLiteral("data/project/demo.tproj"));
        CDemoHost host;
        QVERIFY(host.ShowWindow(options));
        NTarsel::CMainWindow* window = host.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY2(window->windowTitle().startsWith(QStringLiteral("Demo run 2026-12 — DR2612-01[*]")), qPrintable(window->windowTitle()));
        window->findChild<QAction*>(QStringLiteral("GenotyperAnalysisAction"))->trigger();
        QCOMPARE(window->GetState(), NTarsel::MainWindowStateAnalysis);

        // Printing has one shortcut in the whole window.
        QSet<QAction*> printing;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            for (QAction* action : widget->actions()) {
                if (action->shortcuts().contains(QKeySequence(QKeySequence::Print)))
                    printing.insert(action);
            }
        }
        QCOMPARE(printing.size(), 1);

        auto* selector = window->findChild<QComboBox*>(QStringLiteral("GenotyperSampleSelector"));
        selector->setCurrentIndex(2);
        QVERIFY2(window->windowTitle().contains(QStringLiteral("DR2612-03")) && window->isWindowModified(), qPrintable(window->windowTitle()));

        // The data dialog: typing starts in the first field, Tab leaves the comment.
        QString firstField;
        bool tabLeftComment = false;
        NHostTest::WhenModal([&](QWidget* dialog) {
            firstField = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            auto* comment = dialog->findChild<QTextEdit*>(QStringLiteral("CommentEdit"));
            comment->setFocus();
            comment->selectAll();
            QTest::keyClicks(comment, QStringLiteral("Typed in the window"));
            QTest::keyClick(comment, Qt::Key_Tab);
            tabLeftComment = !comment->hasFocus() && !comment->toPlainText().contains(QLatin1Char('\t'));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(firstField, QStringLiteral("NumberOfSampleEdit"));
        QVERIFY(tabLeftComment);
        QTRY_VERIFY2(window->statusBar()->currentMessage().contains(QStringLiteral("report data changed")),
                     qPrintable(window->statusBar()->currentMessage()));
        // Save as PDF: the status bar says where the report went, until the next message.
        QSettings().setValue(QStringLiteral("report/lastPdfDirectory"), m_dir.path());
        NHostTest::WhenModal([](QWidget* dialog) { QMetaObject::invokeMethod(dialog, "accept"); });
        QAction* saveAsPdf = nullptr;
        for (QToolBar* bar : window->findChildren<QToolBar*>()) {
            for (QAction* action : bar->actions())
                saveAsPdf = action->text() == QLatin1String("Save as PDF") && bar->isVisible() ? action : saveAsPdf;
        }
        QVERIFY(saveAsPdf);
        // With the File menu's setting, the structured result goes beside it and carries it.
        window->findChild<QAction*>(QStringLiteral("WriteFhirAction"))->setChecked(true);
        saveAsPdf->trigger();
        const QStringList saved = window->statusBar()->currentMessage().section(QStringLiteral("Report saved as "), 1)
                                      .split(QStringLiteral(", its structured result as "));
        QVERIFY2(saved.size() == 2 && saved[0].startsWith(m_dir.path()) && NHostTest::ReadFile(saved[0]).startsWith("%PDF-"),
                 qPrintable(saved.join(QLatin1Char('|'))));
        QVERIFY(NHostTest::ReadFile(saved[1]).contains(NHostTest::ReadFile(saved[0]).toBase64()));

        // Quitting: Cancel (Escape) keeps the window, Save writes the project and quits.
        const QByteArray before = NHostTest::ReadFile(projectFile);
        NHostTest::WhenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!window->close());
        QCOMPARE(NHostTest::ReadFile(projectFile), before);
        NHostTest::WhenModal([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Save)->click(); });
        QVERIFY(window->close());
        const QByteArray written = NHostTest::ReadFile(projectFile);
        QVERIFY(written.contains("Typed in the window") && written.contains("\"selectedSample\": 2"));
    }

    // The window's demo project is the user's copy, made once, kept with its changes.
    void userCopyOfTheDemoProject()
    {
        const QString shipped = m_dir.filePath(QStringLiteral("data/project/demo.tproj"));
        const QString user = m_dir.filePath(QStringLiteral("user"));
        QString error;
        const QString copy = UserDemoProject(shipped, user, &error);
        QVERIFY2(QFileInfo(copy).isFile() && QFileInfo(QFileInfo(copy).dir().filePath(QStringLiteral("samples/DR2612-02.vcf"))).isFile(), qPrintable(error));
        QVERIFY(NHostTest::WriteFile(copy, "changed"));
        QCOMPARE(UserDemoProject(shipped, user, &error), copy);
        QCOMPARE(NHostTest::ReadFile(copy), QByteArray("changed"));
        QVERIFY(NHostTest::ReadFile(shipped).startsWith("{"));
        // A copy that lost its project file is not replaced behind the user's back.
        QVERIFY(QFile::remove(copy));
        QVERIFY(UserDemoProject(shipped, user, &error).isEmpty() && error.contains(QStringLiteral("demo-project")));
        QVERIFY(QDir(user).entryList(QDir::Dirs | QDir::NoDotAndDotDot) == QStringList{QStringLiteral("demo-project")});
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDemoWindow)
#include "tst_DemoWindow.moc"
