// The demo host: loads the analysis plug-ins of a folder into a main window and
// tells what each one is.

#include "extension/ExtensionFactory.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/log/Logger.h"
#include "host/log/StreamLogger.h"

#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTextStream>

#include <boost/make_shared.hpp>

#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    NTarsel::CApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tarsel-demo"));
    NLog::SetLogger("", boost::make_shared<NLog::CStreamLogger>(std::cerr));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString pluginDir = QStringLiteral(TARSEL_DEMO_PLUGIN_DIR);
    NTarsel::CMainWindow window;

    int loaded = 0;
    const QStringList files = QDir(pluginDir).entryList(QDir::Files, QDir::Name);
    for (const QString& file : files) {
        QPluginLoader loader(QDir(pluginDir).filePath(file));
        const QJsonObject metaData = loader.metaData().value(QLatin1String("MetaData")).toObject();
        if (metaData.value(QLatin1String("apiVersion")).toInt() != NTarsel::NExtension::c_nExtensionApiVersion) {
            err << "Skipping " << file << ": not an analysis plug-in of API version "
                << NTarsel::NExtension::c_nExtensionApiVersion << "\n";
            continue;
        }
        auto* factory = qobject_cast<NTarsel::NExtension::IExtensionFactory*>(loader.instance());
        if (!factory) {
            err << "Cannot load " << file << ": " << loader.errorString() << "\n";
            continue;
        }
        std::unique_ptr<NTarsel::NExtension::IExtension> extension(factory->CreateExtension());
        extension->Install(&window);
        out << metaData.value(QLatin1String("name")).toString() << ": " << extension->GetInfo() << " ("
            << extension->GetVersion() << ")\n";
        ++loaded;
    }
    out.flush();
    if (loaded == 0) {
        err << "No analysis plug-in found in " << pluginDir << "\n";
        return 1;
    }
    return 0;
}
