// The demo host: analyses a project with an analysis plug-in and writes the report
// as PDF (headless, the default), or opens the main window (--gui).

#include "demo/host/DemoHost.h"
#include "demo/host/DemoOptions.h"
#include "demo/host/DemoTranslation.h"
#include "host/core/Application.h"
#include "host/log/Logger.h"
#include "host/log/StreamLogger.h"

#include <QTextStream>

#include <boost/make_shared.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    NTarsel::CApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("tarsel-demo"));
    // Plug-ins write a report in its template's language from these files.
    NTarsel::CApplication::setTranslationsLocation(DemoTranslationFolders().value(0));

    QTextStream out(stdout);
    QTextStream err(stderr);
    // The language comes first, so that even a bad option is reported in it.
    const QString language = RequestedDemoLocale(application.arguments());
    QString translationError;
    if (!language.isEmpty() && !InstallDemoTranslations(&application, language, &translationError))
        err << "tarsel-demo: " << translationError << '\n';

    SDemoOptions options;
    QString error;
    bool help = false;
    if (!ParseDemoOptions(application.arguments(), &options, &error, &help)) {
        err << "tarsel-demo: " << error << "\n\n" << DemoUsage();
        return 2;
    }
    if (help) {
        out << DemoUsage();
        return 0;
    }

    // Progress and errors go to the error stream; the output carries only the PDF paths.
    NLog::SetLogger("", boost::make_shared<NLog::CStreamLogger>(std::cerr));

    CDemoHost host;
    if (!options.gui)
        return host.RunHeadless(options, out, err);
    if (!host.ShowWindow(options) && !options.screenshot.isEmpty())
        return 1;
    return application.exec();
}
