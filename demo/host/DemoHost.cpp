#include "demo/host/DemoHost.h"

#include "common/LocalText.h"
#include "demo/host/HeadlessRun.h"
#include "demo/host/InstallLayout.h"
#include "demo/host/UserDemoProject.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/log/Logger.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <boost/make_shared.hpp>

namespace {

// Shows log entries in the window's log pane as well as passing them on.
class CPaneLogger : public NLog::ILogger
{
public:
    CPaneLogger(QPlainTextEdit* pane, boost::shared_ptr<NLog::ILogger> next)
        : m_pPane(pane)
        , m_pNext(std::move(next))
    {
    }

    void Log(const std::string& message, int level, int, const std::string& source, int line) override
    {
        if (m_pNext)
            m_pNext->Log(message, level, 0, source, line);
        const QString text = QStringLiteral("%1  %2").arg(QString::fromStdString(NLog::LevelName(level)), NCommon::FromLocal(message));
        const QPointer<QPlainTextEdit> pane = m_pPane;
        QMetaObject::invokeMethod(
            qApp, [pane, text] {
                if (pane)
                    pane->appendPlainText(text);
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<QPlainTextEdit> m_pPane;
    boost::shared_ptr<NLog::ILogger> m_pNext;
};

} // namespace

CDemoHost::CDemoHost()
    : m_session(m_window.MainWindow())
{
    connect(&m_session, &CDemoSession::projectChanged, this,
            [this] { m_window.ShowProject(m_session.Project().get()); });
    connect(&m_session, &CDemoSession::databasesFound, &m_window, &CDemoWindow::AddDatabases);
    connect(&m_session, &CDemoSession::databaseSelected, &m_window, &CDemoWindow::ShowDatabase);
    connect(&m_window, &CDemoWindow::sampleChosen, &m_session, &CDemoSession::SelectSample);
    connect(&m_window, &CDemoWindow::databaseChosen, this, [this](const QString& name) {
        QString error;
        if (!m_session.SelectDatabase(name, &error))
            m_session.ReportProblem(error);
    });
    connect(&m_window, &CDemoWindow::openProjectRequested, this, [this](const QString& path) {
        QString error;
        if (!m_session.OpenProject(path, &error))
            m_session.ReportProblem(error);
    });
    connect(&m_window, &CDemoWindow::saveProjectRequested, this, [this] {
        QString error;
        if (!m_session.SaveProject(&error))
            m_session.ReportProblem(error);
    });
    connect(&m_window, &CDemoWindow::pluginInfoRequested, this,
            [this] { m_window.ShowPluginInfo(m_session.PluginInfo()); });
    connect(&m_session, &CDemoSession::pdfSaved, this, [this](const QString& path) {
        QString error;
        if (!QSettings().value(QStringLiteral("report/writeFhir"), false).toBool())
            m_window.ShowStatus(QObject::tr("Report saved as %1").arg(QDir::toNativeSeparators(path)));
        else if (m_session.WriteFhirBeside(path, &error))
            m_window.ShowStatus(QObject::tr("Report saved as %1, its structured result as %2")
                                    .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(FhirPathBeside(path))));
        else
            m_session.ReportProblem(error);
    });
    connect(&m_session, &CDemoSession::reportDataChanged, this, [this] {
        m_window.ShowStatus(QObject::tr("The report data changed; save the project to keep them"));
    });
    // Back from analysis mode, the overview shows the sample that analysis mode showed.
    connect(window(), &NTarsel::CMainWindow::stateChanged, this, [this] { m_window.ShowProject(m_session.Project().get()); });
    window()->installEventFilter(this);
}

bool CDemoHost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && event->type() == QEvent::Close && !mayClose()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool CDemoHost::mayClose()
{
    const boost::shared_ptr<NDna::CProject>& project = m_session.Project();
    if (!project || !(window()->isWindowModified() || project->IsModified()))
        return true;
    QMessageBox box(QMessageBox::Question, QObject::tr("Quit"),
                    QObject::tr("The project %1 has unsaved changes.").arg(NCommon::FromLocal(project->GetProjectName())),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window());
    box.setObjectName(QStringLiteral("SaveChangesBox"));
    box.setInformativeText(QObject::tr("Save them before quitting?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: {
        QString error;
        if (m_session.SaveProject(&error))
            return true;
        QMessageBox::warning(window(), QObject::tr("Quit"), error);
        return false;
    }
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

int CDemoHost::RunHeadless(const SDemoOptions& options, QTextStream& out, QTextStream& err)
{
    return CHeadlessRun(m_session).Run(options, out, err);
}

bool CDemoHost::ShowWindow(const SDemoOptions& options)
{
    NTarsel::CMainWindow* window = m_window.MainWindow();
    connect(&m_session, &CDemoSession::problem, this,
            [window](const QString& message) { QMessageBox::warning(window, QObject::tr("Analysis"), message); });
    NLog::SetLogger("", boost::make_shared<CPaneLogger>(m_window.LogPane(), NLog::GetLogger("")));
    QStringList problems;
    SDemoOptions windowOptions = options;
    // The window saves: it works on the user's own copy of the shipped demo project.
    if (options.project.isEmpty() && options.dataDir.isEmpty()) {
        QString error;
        windowOptions.project = UserDemoProject(CInstallLayout::OfThisProgram().DefaultProject(),
                                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), &error);
        if (windowOptions.project.isEmpty()) {
            window->show();
            QMessageBox::warning(window, QObject::tr("Demo"), QObject::tr("The demo project cannot be opened: %1").arg(error));
            return false;
        }
    }
    const bool prepared = m_session.Prepare(windowOptions, &problems);
    m_window.SetProjectFolder(m_session.DataDir());
    window->show();
    if (!problems.isEmpty())
        QMessageBox::warning(window, QObject::tr("Demo"), problems.join(QLatin1Char('\n')));
    if (!prepared)
        return false;

    if (options.analyse) {
        QString error;
        if (!m_session.Analyse(&error))
            m_session.ReportProblem(error);
    }
    if (!options.screenshot.isEmpty()) {
        const QString file = options.screenshot;
        QTimer::singleShot(1500, this, [window, file] {
            if (!window->grab().save(file))
                NLog::Write(NCommon::ToLocal(QStringLiteral("Cannot save the screenshot %1").arg(file)), 1, "DemoHost",
                            __LINE__);
            QApplication::quit();
        });
    }
    return true;
}
