#include "extension/TemplateCatalogue.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QMenu>

namespace NTarsel {
namespace NExtension {

QFileInfoList CTemplateCatalogue::List(const QString& folder)
{
    const QDir directory(folder);
    if (folder.isEmpty() || !directory.exists())
        return QFileInfoList();
    return directory.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QActionGroup* CTemplateCatalogue::Fill(QMenu* menu, QObject* owner, const QFileInfoList& templates,
                                       const QString& lastChoice)
{
    if (templates.isEmpty())
        return nullptr;

    QList<QActionGroup*> previousGroups;
    for (QAction* entry : menu->actions()) {
        QActionGroup* group = entry->actionGroup();
        if (group && group->parent() == owner && !previousGroups.contains(group))
            previousGroups.append(group);
    }
    for (QActionGroup* group : previousGroups) {
        for (QAction* entry : group->actions()) {
            menu->removeAction(entry);
            delete entry;
        }
        delete group;
    }

    auto* group = new QActionGroup(owner);
    group->setExclusive(true);
    for (const QFileInfo& info : templates) {
        auto* entry = new QAction(info.fileName(), owner);
        entry->setData(info.absoluteFilePath());
        entry->setCheckable(true);
        group->addAction(entry);
        if (entry->text() == lastChoice)
            entry->setChecked(true);
    }
    if (!group->checkedAction())
        group->actions().first()->setChecked(true);
    menu->addActions(group->actions());
    return group;
}

} // namespace NExtension
} // namespace NTarsel
