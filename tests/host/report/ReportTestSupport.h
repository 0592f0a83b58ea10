#pragma once

#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/HostFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include <boost/any.hpp>
#include <boost/make_shared.hpp>

// Helpers shared by the report viewer's tests.
namespace NReportTest {

using Rows = std::vector<std::vector<boost::any> >;

// A data set of the test's own rows; value() throws std::out_of_range past a row's
// end, as the host's vector-backed data sets do.
class CTestDataSet final : public NFastReport::IDataSet
{
public:
    CTestDataSet(std::string name, std::vector<std::string> columns, Rows rows)
        : m_name(std::move(name)), m_columns(std::move(columns)), m_rows(std::move(rows))
    {
    }
    const char* name() const override { return m_name.c_str(); }
    const char* columnName(unsigned int column) const override { return m_columns.at(column).c_str(); }
    unsigned int columnSize() const override { return unsigned(m_columns.size()); }
    unsigned int rowSize() const override { return unsigned(m_rows.size()); }
    boost::any value(unsigned int row, unsigned int column) const override { return m_rows.at(row).at(column); }

private:
    std::string m_name;
    std::vector<std::string> m_columns;
    Rows m_rows;
};

inline boost::shared_ptr<NFastReport::IDataSet> DataSet(std::string name, std::vector<std::string> columns, Rows rows)
{
    return boost::make_shared<CTestDataSet>(std::move(name), std::move(columns), std::move(rows));
}

// Writes html as report.html of folder, renders it and returns the viewer's error.
inline QString Render(NFastReport::CFastReportWidget* widget, const QString& folder, const QByteArray& html)
{
    NHostTest::WriteFile(folder + QStringLiteral("/report.html"), html);
    widget->SetReportPath(folder + QStringLiteral("/report.html"));
    widget->UpdateReport();
    return widget->LastError();
}

// A 24x24 PNG of one colour.
inline QByteArray Png(const QColor& color)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(color);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// How many pixels of the page (from 0), painted at 96 dpi, have exactly the colour.
inline int CountPixels(const NFastReport::CFastReportWidget& widget, const QColor& color, int page = 0)
{
    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    widget.RenderPage(page, &painter, QRectF(image.rect()));
    painter.end();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] & 0xffffff) == (color.rgb() & 0xffffff) ? 1 : 0;
    }
    return count;
}

// The output of one of poppler's tools (pdftotext, pdfinfo); empty when it fails.
inline QString Poppler(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF, all pages or first..last (from 1).
inline QString PdfText(const QString& path, int first = 0, int last = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l") << QString::number(last);
    return Poppler(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
}

} // namespace NReportTest
