#pragma once

#include "host/report/DataSetTag.h"
#include "host/report/TableBlock.h"

#include <QBrush>
#include <QColor>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QTextCharFormat>

#include <functional>
#include <memory>
#include <vector>

class QFont;
class QPaintDevice;
class QTextCursor;

namespace NFastReport {

class IDataSet;

// One data set read for a report: its column names and the text of every cell in
// the report's locale (CellText), read once. Cells of unknown types get CellText's
// placeholder and a log line naming the data set, row, column and type. Rows
// narrower than the column list get empty cells; cells beyond it (up to the first
// missing or empty one) become extra columns with empty headers. A cell's
// background is the memo colour of its key when it is an SColoredCell, else, in the
// tag's color_by column, the memo colour named like its text.
class CDataSetTable
{
public:
    // How a template's style sheet dresses table cells: the text format and the
    // background of a header cell (th) and of a body cell (td). Read from a small
    // table that the rich-text importer styles with the sheet, so that the data-set
    // tables, which are not made from HTML, look like the template's own.
    // Style gives the look of a table in text of the format base.
    struct SCellStyles
    {
        QTextCharFormat header;
        QBrush headerBackground;
        QTextCharFormat body;
        QBrush bodyBackground;

        static SCellStyles FromStyleSheet(const QString& styleSheet, const QFont& font);
        CTableBlock::SStyle Style(const QTextCharFormat& base) const;
    };

    CDataSetTable(const IDataSet& dataSet, const SDataSetTag& tag, const QMap<QString, QColor>& colors,
                  const QLocale& locale);

    // Why the table cannot go into a report (a cell past c_nMaxUnbrokenRun); empty
    // when it can.
    QString Problem() const;

    // The table as a block of the report, laid out at width in style: a header row
    // (repeated on every page), one row per data-set row, numbers right-aligned;
    // null when progress answered false.
    std::unique_ptr<CTableBlock> LayOut(const CTableBlock::SStyle& style, qreal width, QPaintDevice* device,
                                        const std::function<bool(int)>& progress) const;

    // A SHA-256 digest of all that LayOut makes the block from: the header, every
    // cell as shown (text, alignment, background), the style and the width. A block
    // laid out from an equal digest can stand in for a new one.
    QByteArray Digest(const CTableBlock::SStyle& style, qreal width) const;

    // Inserts the visible note for a tag whose data set is not there and logs it.
    static void InsertMissing(QTextCursor* cursor, const QTextCharFormat& base, const SDataSetTag& tag);

private:
    struct SCell;
    // The background of a cell in column: its key's memo colour, or in the
    // color_by column its text's; invalid for none.
    QColor background(size_t column, const SCell& cell) const;

    struct SCell
    {
        QString text;
        bool numeric = false;
        // An SColoredCell's key: it alone chooses the background.
        bool keyed = false;
        QString colorKey;
    };

    QString m_sName;
    QString m_sProblem;
    QStringList m_columns;
    std::vector<std::vector<SCell> > m_rows;
    int m_nColorColumn = -1;
    QMap<QString, QColor> m_colors;
};

} // namespace NFastReport
