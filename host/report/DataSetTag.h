#pragma once

#include <QString>

namespace NFastReport {

// What a {% dataset %} tag asks for: the data set's name and, optionally, the
// column whose cell text names the memo colour of the cell's background.
struct SDataSetTag
{
    QString dataSet;
    QString colorBy;

    // The HTML that stands in the template's output for the tag until the table
    // replaces it: an anchor whose name carries the tag (hex-encoded UTF-8).
    QString Placeholder() const;
    // Reads the tag back from an anchor name; false for any other anchor.
    static bool FromAnchorName(const QString& anchorName, SDataSetTag* tag);
};

} // namespace NFastReport
