#include "fuzz/FuzzSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace NFuzz {

namespace {

int g_nArgc = 1;
char g_sProgram[] = "fuzz";
char* g_argv[] = {g_sProgram, nullptr};

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&)
{
}

QTemporaryDir& workDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tarsel-fuzz-XXXXXX"));
    return dir;
}

} // namespace

void InitQt(bool widgets)
{
    if (QCoreApplication::instance())
        return;
    qInstallMessageHandler(dropMessage);
    if (widgets) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Lives until the process ends: libFuzzer never returns from its loop normally.
        new QApplication(g_nArgc, g_argv);
    } else {
        new QCoreApplication(g_nArgc, g_argv);
    }
    if (!workDir().isValid())
        Fail("cannot create the temporary folder", workDir().errorString());
}

QString WorkFolder()
{
    return workDir().path();
}

QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size)
{
    return WriteInput(name, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
}

QString WriteInput(const QString& name, const QByteArray& data)
{
    const QString path = QDir(WorkFolder()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        Fail("cannot write the input file", path);
    return path;
}

void Fail(const char* what, const QString& detail)
{
    // Control characters (a NUL above all) would cut or garble the message.
    QByteArray shown;
    for (const char c : detail.toUtf8()) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n')
            shown += "\\x" + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        else
            shown += c;
    }
    std::fprintf(stderr, "Fuzz property failed: %s%s%s\n", what, shown.isEmpty() ? "" : ": ", shown.constData());
    std::fflush(stderr);
    std::abort();
}

} // namespace NFuzz
