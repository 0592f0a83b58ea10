#include "tests/host/report/ReportTestSupport.h"

#include "host/report/FastReportWidget.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include <boost/make_shared.hpp>

#include <utility>

namespace NReportTest {

namespace {

class CTestDataSet final : public NFastReport::IDataSet
{
public:
    CTestDataSet(std::string name, std::vector<std::string> columns, std::vector<std::vector<boost::any> > rows)
        : m_name(std::move(name))
        , m_columns(std::move(columns))
        , m_rows(std::move(rows))
    {
    }
    ~CTestDataSet() = default;

    const char* name() const override { return m_name.c_str(); }
    const char* columnName(unsigned int column) const override { return m_columns.at(column).c_str(); }
    unsigned int columnSize() const override { return static_cast<unsigned int>(m_columns.size()); }
    unsigned int rowSize() const override { return static_cast<unsigned int>(m_rows.size()); }
    boost::any value(unsigned int row, unsigned int column) const override { return m_rows.at(row).at(column); }

private:
    std::string m_name;
    std::vector<std::string> m_columns;
    std::vector<std::vector<boost::any> > m_rows;
};

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

boost::shared_ptr<NFastReport::IDataSet> DataSet(std::string name, std::vector<std::string> columns,
                                                 std::vector<std::vector<boost::any> > rows)
{
    return boost::make_shared<CTestDataSet>(std::move(name), std::move(columns), std::move(rows));
}

void WriteFile(const QString& folder, const QString& name, const QByteArray& content)
{
    const QString path = QDir(folder).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qWarning("Cannot write %s", qPrintable(path));
}

QByteArray Png(const QColor& color)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(color);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QImage PageImage(const NFastReport::CFastReportWidget& widget, int page)
{
    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    widget.RenderPage(page, &painter, QRectF(image.rect()));
    return image;
}

int CountPixels(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] & 0xffffff) == (color.rgb() & 0xffffff) ? 1 : 0;
    }
    return count;
}

QString PdfText(const QString& path, int first, int last)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l") << QString::number(last);
    return run(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
}

QString PdfInfo(const QString& path, bool meta)
{
    return run(QStringLiteral("pdfinfo"), meta ? QStringList{QStringLiteral("-meta"), path} : QStringList{path});
}

bool HavePopplerTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

} // namespace NReportTest
