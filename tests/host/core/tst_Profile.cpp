#include "host/core/Profile.h"

#include <QMainWindow>
#include <QToolBar>
#include <QtTest>

// That entering analysis hides the profile's toolbars and leaving shows them again is
// tst_AnalysisMode's enterAndExitRestoreTheWindowExactly part; here, that a toolbar the
// user had hidden stays hidden.
class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void bindKeepsTheUsersChoice()
    {
        QMainWindow window;
        QToolBar* shown = window.addToolBar(QStringLiteral("File"));
        QToolBar* hidden = window.addToolBar(QStringLiteral("View"));
        hidden->hide();
        NTarsel::CProfile profile(QStringLiteral("Forensics"));
        profile.SetToolBar(NTarsel::ActionTypeFile, shown);
        profile.SetToolBar(NTarsel::ActionTypeView, hidden);
        // A second Unbind must not take the toolbars it hid for the user's choice.
        profile.Unbind();
        profile.Unbind();
        profile.Bind();
        QVERIFY(!shown->isHidden() && hidden->isHidden() && profile.IsBound());
    }
};

QTEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
