#pragma once

#include "host/report/DataSet.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace NFastReport {
class CFastReportWidget;
}

// Helpers shared by the report viewer's tests.
namespace NReportTest {

// A data set of the test's own rows; value() throws std::out_of_range past a row's
// end, as the host's vector-backed data sets do.
boost::shared_ptr<NFastReport::IDataSet> DataSet(std::string name, std::vector<std::string> columns,
                                                 std::vector<std::vector<boost::any> > rows);

// Writes content (UTF-8) to folder/name, making the folders on the way.
void WriteFile(const QString& folder, const QString& name, const QByteArray& content);

// A 24x24 PNG of one colour.
QByteArray Png(const QColor& color);

// Page (from 0) of the widget's report painted at 96 dpi.
QImage PageImage(const NFastReport::CFastReportWidget& widget, int page = 0);
// How many pixels of image have exactly the colour.
int CountPixels(const QImage& image, const QColor& color);

// The text of a PDF (pdftotext -layout), all pages or first..last (from 1). Empty when
// the tool is missing or fails.
QString PdfText(const QString& path, int first = 0, int last = 0);
// pdfinfo's output, with the XMP metadata when meta is set.
QString PdfInfo(const QString& path, bool meta = false);
bool HavePopplerTools();

} // namespace NReportTest
