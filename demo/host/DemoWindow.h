#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <boost/shared_ptr.hpp>

#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTreeWidget;

namespace NDna {
class CProject;
}
namespace NTarsel {
class CMainWindow;
class CProfile;
}

// The demo host's main window: the host's profile (file, reference database and
// analysis toolbars), a project overview, a log pane, the File and Help menus and
// the status bar. The title names the project and its selected sample, with the
// modified mark. It owns the main window and the profile, and knows nothing of
// plug-ins: what the user asks for leaves as a signal.
class CDemoWindow : public QObject
{
    Q_OBJECT

public:
    CDemoWindow();
    ~CDemoWindow() override;

    NTarsel::CMainWindow* MainWindow() const { return m_pWindow.get(); }
    QPlainTextEdit* LogPane() const { return m_pLogPane; }
    // Where the Open dialog starts.
    void SetProjectFolder(const QString& folder) { m_sProjectFolder = folder; }

    // Offers the databases not offered yet.
    void AddDatabases(const QStringList& names);
    void ShowDatabase(const QString& name);
    // Shows the project (null: none) with its selected sample in bold.
    void ShowProject(NDna::CProject* project);
    void ShowPluginInfo(const QStringList& lines);
    // A message in the status bar that stays until the next one.
    void ShowStatus(const QString& message);

signals:
    void openProjectRequested(const QString& path);
    void saveProjectRequested();
    void sampleChosen(int index);
    void databaseChosen(const QString& name);
    void pluginInfoRequested();

private:
    void buildToolBars();
    void buildMenus();

    std::unique_ptr<NTarsel::CMainWindow> m_pWindow;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    QComboBox* m_pDatabaseCombo = nullptr;
    QTreeWidget* m_pOverview = nullptr;
    QLabel* m_pProjectLabel = nullptr;
    QPlainTextEdit* m_pLogPane = nullptr;
    QString m_sProjectFolder;
};
