#pragma once

#include "extension/report/ReportDataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/HostFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <boost/make_shared.hpp>

// Helpers shared by the report viewer's tests.
namespace NReportTest {

using Rows = std::vector<std::vector<boost::any> >;

// A data set of the test's own rows, of the type plug-ins hand to the viewer.
inline boost::shared_ptr<NFastReport::IDataSet> DataSet(const std::string& name, const std::vector<std::string>& columns, const Rows& rows)
{
    const boost::shared_ptr<NFastReport::IDataSet> dataSet = NTarsel::NExtension::ReportDataSet::create(name, columns);
    for (const std::vector<boost::any>& row : rows)
        static_cast<NTarsel::NExtension::ReportDataSet*>(dataSet.get())->push_back(row);
    return dataSet;
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

// How many pixels of the first page, painted at 96 dpi, have exactly the colour.
inline int CountPixels(const NFastReport::CFastReportWidget& widget, const QColor& color)
{
    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    widget.RenderPage(0, &painter, QRectF(image.rect()));
    painter.end();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] & 0xffffff) == (color.rgb() & 0xffffff) ? 1 : 0;
    }
    return count;
}

} // namespace NReportTest
