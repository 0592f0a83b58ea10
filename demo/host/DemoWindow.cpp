#include "demo/host/DemoWindow.h"

#include "common/LocalText.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The window's own icon where the desktop's icon theme has none.
QIcon windowIcon(const QString& name)
{
    return QIcon::fromTheme(name, QIcon(QStringLiteral(":/Demo/Icons/%1.svg").arg(name)));
}

QAction* fileAction(const QString& icon, const QString& text, QKeySequence::StandardKey key, QObject* parent)
{
    auto* action = new QAction(windowIcon(icon), text, parent);
    action->setShortcut(key);
    return action;
}

} // namespace

// The demo host's code is a static library: its resources are registered by hand.
static void registerIcons()
{
    Q_INIT_RESOURCE(demo_icons);
}

CDemoWindow::CDemoWindow()
    : m_pWindow(std::make_unique<NTarsel::CMainWindow>())
    , m_pProfile(NTarsel::CreateProfile(QObject::tr("Laboratory")))
{
    registerIcons();
    NTarsel::CMainWindow* window = m_pWindow.get();
    window->resize(1100, 760);

    auto* overview = new QWidget;
    auto* layout = new QVBoxLayout(overview);
    m_pProjectLabel = new QLabel(QObject::tr("No project"));
    m_pProjectLabel->setTextFormat(Qt::PlainText);
    m_pOverview = new QTreeWidget;
    m_pOverview->setHeaderLabels({QObject::tr("No"), QObject::tr("Sample"), QObject::tr("Data file")});
    m_pOverview->setRootIsDecorated(false);
    m_pOverview->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_pProjectLabel);
    layout->addWidget(m_pOverview);
    window->setCentralWidget(overview);
    connect(m_pOverview, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { emit sampleChosen(m_pOverview->indexOfTopLevelItem(item)); });

    auto* logDock = new QDockWidget(QObject::tr("Log"));
    logDock->setObjectName(QStringLiteral("LogDock"));
    m_pLogPane = new QPlainTextEdit;
    m_pLogPane->setReadOnly(true);
    m_pLogPane->setMaximumBlockCount(500);
    logDock->setWidget(m_pLogPane);
    window->AddNormalDockWidget(Qt::BottomDockWidgetArea, logDock);

    buildToolBars();
    buildMenus();

    window->statusBar()->showMessage(QObject::tr("Ready"));
    connect(window, &NTarsel::CMainWindow::stateChanged, this, [this] {
        m_pWindow->statusBar()->showMessage(m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis
                                                ? QObject::tr("Analysis mode")
                                                : QObject::tr("Ready"));
    });
}

CDemoWindow::~CDemoWindow()
{
    NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pProfile);
}

void CDemoWindow::buildToolBars()
{
    NTarsel::CMainWindow* window = m_pWindow.get();
    QAction* open = fileAction(QStringLiteral("document-open"), QObject::tr("Open project..."), QKeySequence::Open, window);
    connect(open, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(m_pWindow.get(), QObject::tr("Open project"), m_sProjectFolder,
                                                          QObject::tr("Projects (*.tproj);;All files (*)"));
        if (!path.isEmpty())
            emit openProjectRequested(path);
    });
    QAction* save = fileAction(QStringLiteral("document-save"), QObject::tr("Save project"), QKeySequence::Save, window);
    connect(save, &QAction::triggered, this, &CDemoWindow::saveProjectRequested);

    QToolBar* fileBar = window->addToolBar(QObject::tr("File"));
    fileBar->setObjectName(QStringLiteral("FileToolBar"));
    fileBar->addAction(open);
    fileBar->addAction(save);
    m_pProfile->SetToolBar(NTarsel::ActionTypeFile, fileBar);

    QToolBar* databaseBar = window->addToolBar(QObject::tr("Reference database"));
    databaseBar->setObjectName(QStringLiteral("DatabaseToolBar"));
    databaseBar->addWidget(new QLabel(QObject::tr("Reference database:") + QLatin1Char(' ')));
    m_pDatabaseCombo = new QComboBox;
    m_pDatabaseCombo->setMinimumContentsLength(16);
    databaseBar->addWidget(m_pDatabaseCombo);
    m_pProfile->SetToolBar(NTarsel::ActionTypeDatabase, databaseBar);
    connect(m_pDatabaseCombo, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { emit databaseChosen(m_pDatabaseCombo->itemText(index)); });

    QToolBar* analysisBar = window->addToolBar(QObject::tr("Analysis"));
    analysisBar->setObjectName(QStringLiteral("ProfileAnalysisToolBar"));
    analysisBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pProfile->SetToolBar(NTarsel::ActionTypeAnalysis, analysisBar);
    NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(m_pProfile);
}

void CDemoWindow::buildMenus()
{
    NTarsel::CMainWindow* window = m_pWindow.get();
    QMenu* fileMenu = window->menuBar()->addMenu(QObject::tr("File"));
    // The File toolbar's actions, in the same order.
    fileMenu->addActions(window->findChild<QToolBar*>(QStringLiteral("FileToolBar"))->actions());
    fileMenu->addSeparator();
    // A laboratory system that reads the result wants it with every saved report.
    QAction* fhir = fileMenu->addAction(QObject::tr("Save the Structured Result (FHIR) with Each PDF"));
    fhir->setObjectName(QStringLiteral("WriteFhirAction"));
    fhir->setCheckable(true);
    fhir->setChecked(QSettings().value(QStringLiteral("report/writeFhir"), false).toBool());
    connect(fhir, &QAction::toggled, this,
            [](bool checked) { QSettings().setValue(QStringLiteral("report/writeFhir"), checked); });
    fileMenu->addSeparator();
    QAction* quit = fileAction(QStringLiteral("application-exit"), QObject::tr("Quit"), QKeySequence::Quit, window);
    connect(quit, &QAction::triggered, window, &QWidget::close);
    fileMenu->addAction(quit);
    QMenu* helpMenu = window->menuBar()->addMenu(QObject::tr("Help"));
    helpMenu->addAction(windowIcon(QStringLiteral("help-about")), QObject::tr("Plug-ins..."), this,
                        &CDemoWindow::pluginInfoRequested);
}

void CDemoWindow::AddDatabases(const QStringList& names)
{
    for (const QString& database : names) {
        if (m_pDatabaseCombo->findText(database) < 0)
            m_pDatabaseCombo->addItem(database);
    }
}

void CDemoWindow::ShowDatabase(const QString& name)
{
    m_pDatabaseCombo->setCurrentIndex(m_pDatabaseCombo->findText(name));
}

void CDemoWindow::ShowProject(NDna::CProject* project)
{
    m_pOverview->clear();
    if (!project) {
        m_pProjectLabel->setText(QObject::tr("No project"));
        m_pWindow->setWindowTitle(QObject::tr("DNA analysis") + QStringLiteral("[*]"));
        return;
    }
    const QString name = NCommon::FromLocal(project->GetProjectName());
    m_pProjectLabel->setText(QObject::tr("Project %1 — %2").arg(name, NCommon::FromLocal(project->GetPath())));
    const unsigned int selected = project->GetSelectedSample();
    const QString sample = selected < project->GetSampleCount()
                               ? NCommon::FromLocal(project->GetSample(selected)->GetData()->GetSpecimen()->GetName())
                               : QString();
    m_pWindow->setWindowTitle((sample.isEmpty() ? QStringLiteral("%1[*]").arg(name)
                                                : QStringLiteral("%1 — %2[*]").arg(name, sample))
                              + QStringLiteral(" — ") + QObject::tr("DNA analysis"));
    if (project->IsModified())
        m_pWindow->setWindowModified(true);
    for (unsigned int index = 0; index < project->GetSampleCount(); ++index) {
        const boost::shared_ptr<NDna::ISample> sample = project->GetSample(index);
        auto* item = new QTreeWidgetItem(m_pOverview);
        item->setText(0, QString::number(index + 1));
        item->setText(1, NCommon::FromLocal(sample->GetData()->GetSpecimen()->GetName()));
        item->setText(2, QFileInfo(NCommon::FromLocal(sample->GetData()->GetPath())).fileName());
        if (index == project->GetSelectedSample()) {
            QFont bold = item->font(1);
            bold.setBold(true);
            for (int column = 0; column < 3; ++column)
                item->setFont(column, bold);
            m_pOverview->setCurrentItem(item);
        }
    }
}

void CDemoWindow::ShowStatus(const QString& message)
{
    m_pWindow->statusBar()->showMessage(message);
}

void CDemoWindow::ShowPluginInfo(const QStringList& lines)
{
    QMessageBox::information(m_pWindow.get(), QObject::tr("Plug-ins"), lines.join(QLatin1Char('\n')));
}
