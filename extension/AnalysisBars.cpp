#include "extension/AnalysisBars.h"

#include "common/LocalText.h"
#include "extension/ExtensionNames.h"
#include "host/core/Profile.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidgetAction>

namespace NTarsel {
namespace NExtension {

namespace {

const QLatin1String c_sSelectorActionName("AnalyseSamplesSelector");

// Turns the mouse wheel away from a selector that has not the focus.
class CWheelOnlyWithFocus : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && watched->isWidgetType() && !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return false;
    }
};

QAction* action(const char* icon, const QString& text, QObject* owner)
{
    return new QAction(QIcon(QStringLiteral(":/Extension/Resources/%1.png").arg(QLatin1String(icon))), text, owner);
}

} // namespace

CAnalysisBars::SActions CAnalysisBars::CreateActions(QObject* windowOwner, QObject* owner, const QString& pluginName)
{
    SActions actions{action("analysis", QObject::tr("Analysis"), windowOwner),
                     action("enter_data", QObject::tr("Blank data"), owner),
                     action("save_as_pdf", QObject::tr("Save as PDF"), owner),
                     action("print_report", QObject::tr("Print report"), owner)};
    actions.analysis->setObjectName(AnalysisActionName(pluginName));
    actions.analysis->setCheckable(true);
    actions.blankData->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    actions.printReport->setShortcut(QKeySequence::Print);
    return actions;
}

QComboBox* CAnalysisBars::CreateSelector(QWidget* parent, const QString& pluginName)
{
    auto* selector = new QComboBox(parent);
    selector->setObjectName(SampleSelectorName(pluginName));
    selector->setToolTip(QObject::tr("The sample that the report is about"));
    selector->setAccessibleName(QObject::tr("Sample"));
    selector->setFocusPolicy(Qt::StrongFocus);
    selector->installEventFilter(new CWheelOnlyWithFocus(selector));
    selector->hide();
    return selector;
}

Qt::ToolButtonStyle CAnalysisBars::TakeFromProfile(CProfile* profile, QAction* analysis, Qt::ToolButtonStyle fallback)
{
    QToolBar* toolBar = profile ? profile->GetToolBar(NTarsel::ActionTypeAnalysis) : nullptr;
    if (!toolBar)
        return fallback;
    toolBar->removeAction(analysis);
    return toolBar->toolButtonStyle();
}

void CAnalysisBars::GiveToProfile(CProfile* profile, QAction* analysis)
{
    if (QToolBar* toolBar = profile ? profile->GetToolBar(NTarsel::ActionTypeAnalysis) : nullptr) {
        toolBar->removeAction(analysis);
        toolBar->addAction(analysis);
    }
}

QToolBar* CAnalysisBars::AddToolBar(QMainWindow* window, const char* objectName, Qt::ToolButtonStyle style,
                                    const SActions& actions)
{
    QToolBar* toolBar = window->addToolBar(QObject::tr("Analyse"));
    toolBar->setObjectName(QLatin1String(objectName));
    toolBar->setToolButtonStyle(style);
    toolBar->addAction(actions.analysis);
    toolBar->addSeparator();
    toolBar->addAction(actions.blankData);
    toolBar->addAction(actions.saveAsPdf);
    toolBar->addAction(actions.printReport);
    return toolBar;
}

void CAnalysisBars::AddSelector(QMainWindow* window, QToolBar* toolBar, QComboBox* selector)
{
    // A widget action deletes its widget when it dies, so one made per toolbar would
    // take the selector with it; and it lends its widget to one toolbar at a time, so
    // the toolbar of an earlier entry, detached but alive, gives it back first.
    // Each plug-in in the window has a selector of its own.
    QWidgetAction* action = nullptr;
    for (QWidgetAction* candidate : window->findChildren<QWidgetAction*>(c_sSelectorActionName, Qt::FindDirectChildrenOnly)) {
        if (candidate->defaultWidget() == selector)
            action = candidate;
    }
    if (!action) {
        action = new QWidgetAction(window);
        action->setObjectName(c_sSelectorActionName);
        action->setDefaultWidget(selector);
        // Taking the widget leaves it without a parent; until a toolbar asks for it,
        // it stays with the window.
        selector->setParent(window);
    }
    for (QWidget* holder : action->associatedWidgets()) {
        if (holder != toolBar)
            holder->removeAction(action);
    }
    selector->show();
    toolBar->addSeparator();
    toolBar->addAction(action);
}

void CAnalysisBars::FillSelector(QComboBox* selector, NDna::IProject* project, int selected)
{
    // Filling is no choice of the user's; afterwards the selector signals again.
    selector->blockSignals(true);
    selector->clear();
    if (!project) {
        selector->setVisible(false);
    } else {
        const unsigned int count = project->GetSampleCount();
        for (unsigned int index = 0; index < count; ++index) {
            const boost::shared_ptr<NDna::ISample> sample = project->GetSample(index);
            selector->insertItem(selector->count(), QIcon(),
                                 NCommon::FromLocal(sample->GetData()->GetSpecimen()->GetName()), QVariant());
        }
        selector->setCurrentIndex(selected);
        selector->setVisible(selector->count() > 1);
    }
    selector->blockSignals(false);
}

QString CAnalysisBars::SampleLabel(NDna::IProject* project, int index)
{
    if (!project || index < 0 || static_cast<unsigned int>(index) >= project->GetSampleCount())
        return QString();
    const boost::shared_ptr<NDna::ISample> sample = project->GetSample(static_cast<unsigned int>(index));
    const boost::shared_ptr<NDna::ISampleData> data = sample ? sample->GetData() : boost::shared_ptr<NDna::ISampleData>();
    const boost::shared_ptr<NDna::ISpecimen> specimen =
        data ? data->GetSpecimen() : boost::shared_ptr<NDna::ISpecimen>();
    const QString name = specimen ? NCommon::FromLocal(specimen->GetName()) : QString();
    return name.isEmpty() ? QObject::tr("sample %1").arg(index + 1) : QObject::tr("sample %1 (%2)").arg(index + 1).arg(name);
}

boost::shared_ptr<NDna::ISampleData> CAnalysisBars::SelectedSampleData(NDna::IProject* project)
{
    if (!project || project->GetSelectedSample() >= project->GetSampleCount())
        return boost::shared_ptr<NDna::ISampleData>();
    const boost::shared_ptr<NDna::ISample> sample = project->GetSample(project->GetSelectedSample());
    return sample ? sample->GetData() : boost::shared_ptr<NDna::ISampleData>();
}

QMenu* CAnalysisBars::AddReportMenu(QMenuBar* menuBar, QMenu* templateMenu, const SActions& actions)
{
    QMenu* menu = menuBar->addMenu(QObject::tr("Report"));
    if (!templateMenu->isEmpty()) {
        menu->addMenu(templateMenu);
        menu->addSeparator();
    }
    menu->addAction(actions.blankData);
    menu->addAction(actions.saveAsPdf);
    menu->addAction(actions.printReport);
    menu->addAction(actions.analysis);
    return menu;
}

} // namespace NExtension
} // namespace NTarsel
