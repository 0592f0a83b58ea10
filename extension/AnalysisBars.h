#pragma once

#include "extension/ExtensionExport.h"

#include <QString>
#include <Qt>

#include <boost/shared_ptr.hpp>

class QAction;
class QComboBox;
class QMainWindow;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;
class QWidget;

namespace NDna {
class IProject;
class ISampleData;
}

namespace NTarsel {
class CProfile;

namespace NExtension {

/// The analysis toolbar and the Report menu that each entry into analysis mode adds
/// to the main window. Internal to the base library: CBaseExtension passes in its
/// actions and keeps the pointers it is given back. What is built belongs to the
/// window (the toolbar) and its menu bar (the menu); leaving analysis mode only
/// detaches them.
class TARSEL_EXTENSION_EXPORT CAnalysisBars
{
public:
    /// The four actions of analysis mode, none of them owned here.
    struct SActions
    {
        QAction* analysis;
        QAction* blankData;
        QAction* saveAsPdf;
        QAction* printReport;
    };

    /// Makes the four actions with their icons, texts and shortcuts, connected to
    /// nothing: "Analysis" (checkable, object name AnalysisActionName(pluginName)) owned
    /// by windowOwner, the others by owner.
    static SActions CreateActions(QObject* windowOwner, QObject* owner, const QString& pluginName);

    /// Makes the hidden sample selector of a plug-in, a child of parent with object
    /// name SampleSelectorName(pluginName). It takes the wheel only while it has the
    /// focus, so that a wheel scrolling the report past it does not change the sample.
    static QComboBox* CreateSelector(QWidget* parent, const QString& pluginName);

    /// Takes analysis out of profile's analysis toolbar for analysis mode and returns
    /// that toolbar's button style; fallback without a profile or such a toolbar.
    static Qt::ToolButtonStyle TakeFromProfile(CProfile* profile, QAction* analysis, Qt::ToolButtonStyle fallback);

    /// Puts analysis at the end of profile's analysis toolbar, where it stands outside
    /// analysis mode; nothing without a profile or such a toolbar.
    static void GiveToProfile(CProfile* profile, QAction* analysis);

    /// Adds the toolbar "Analyse" (object name objectName) to window with the given
    /// button style: "Analysis", a separator, "Blank data", "Save as PDF", "Print report".
    static QToolBar* AddToolBar(QMainWindow* window, const char* objectName, Qt::ToolButtonStyle style,
                                const SActions& actions);

    /// Shows selector at the end of toolBar after a separator, taking it out of the
    /// toolbar that held it before. The selector joins every toolbar through one widget
    /// action owned by window, as the selector itself is.
    static void AddSelector(QMainWindow* window, QToolBar* toolBar, QComboBox* selector);

    /// Fills selector with the names of project's samples, in project order, without
    /// signals; selected is the current entry. It is shown only with more than one
    /// sample, and emptied and hidden without a project.
    static void FillSelector(QComboBox* selector, NDna::IProject* project, int selected);

    /// The sample at index of project as the report viewer names the subject of a
    /// report: "sample <number> (<name>)", the number counted from 1, so that two
    /// samples of one name stay apart. Empty without a project or such a sample.
    static QString SampleLabel(NDna::IProject* project, int index);

    /// The data of project's selected sample; null without a project or a selected sample.
    static boost::shared_ptr<NDna::ISampleData> SelectedSampleData(NDna::IProject* project);

    /// Adds the menu "Report" to menuBar: the Template submenu and a separator when
    /// templateMenu has entries, then "Blank data", "Save as PDF", "Print report",
    /// "Analysis".
    static QMenu* AddReportMenu(QMenuBar* menuBar, QMenu* templateMenu, const SActions& actions);
};

} // namespace NExtension
} // namespace NTarsel
