#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <QtTest>

#include <functional>

using NTarsel::CProfile;

class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void unbindKeepsTheUsersChoice()
    {
        QMainWindow window;
        QList<QPointer<QToolBar> > bars;
        for (const char* name : {"File", "View", "Analysis", "Not the profile's", "Database"})
            bars << window.addToolBar(QString::fromLatin1(name));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto hidden = [&bars] {
            QString result;
            for (QToolBar* bar : bars)
                result += bar ? (bar->isHidden() ? '-' : '+') : ' ';
            return result;
        };
        CProfile profile(QStringLiteral("Forensics"));
        const NTarsel::EActionType types[] = {NTarsel::ActionTypeFile, NTarsel::ActionTypeView, NTarsel::ActionTypeAnalysis};
        for (int i = 0; i < 3; ++i)
            profile.SetToolBar(types[i], bars[i]);
        // Forgotten, so an Unbind leaves it alone.
        profile.SetToolBar(NTarsel::ActionTypeDatabase, bars[4]);
        profile.SetToolBar(NTarsel::ActionTypeDatabase, nullptr);
        QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeDatabase) && profile.GetToolBar(NTarsel::ActionTypeView) == bars[1]);

        const std::vector<std::pair<std::function<void()>, QString> > steps{
            {[&] { bars[1]->hide(); profile.Unbind(); }, "---++"},
            // A second Unbind must not record the now hidden toolbars as the user's choice.
            {[&] { profile.Unbind(); profile.Bind(); }, "+-+++"},
            // Bind while bound must not bring back what the user has hidden since.
            {[&] { bars[0]->hide(); profile.Bind(); }, "--+++"},
            // A toolbar deleted while unbound is skipped on Bind and forgotten.
            {[&] { profile.Unbind(); delete bars[2]; profile.Bind(); }, "-- ++"}};
        for (const auto& step : steps) {
            step.first();
            QCOMPARE(hidden(), step.second);
        }
        QVERIFY(profile.IsBound() && !profile.GetToolBar(NTarsel::ActionTypeAnalysis));
    }

    void removingTheCurrentProfileLeavesNone()
    {
        const auto first = NTarsel::CreateProfile(QStringLiteral("Kinship"));
        const auto second = NTarsel::CreateProfile(QStringLiteral("Kinship"));
        NTarsel::CProfileManager manager;
        for (const auto& profile : {first, first, second})
            manager.SetCurrentProfile(profile);
        QCOMPARE(manager.GetProfiles(), (std::vector<boost::shared_ptr<CProfile> >{first, second}));
        manager.RemoveProfile(first);
        QCOMPARE(manager.GetCurrentProfile(), second);
        manager.RemoveProfile(second);
        QVERIFY(!manager.GetCurrentProfile() && manager.GetProfiles().empty());
    }
};

QTEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
