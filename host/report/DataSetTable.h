#pragma once

#include "host/report/DataSetTag.h"

#include <QBrush>
#include <QColor>
#include <QLineF>
#include <QLocale>
#include <QMap>
#include <QRectF>
#include <QString>
#include <QTextCharFormat>

#include <functional>
#include <vector>

class QFont;
class QTextCursor;
class QTextTable;

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
    struct SCellStyles
    {
        QTextCharFormat header;
        QBrush headerBackground;
        QTextCharFormat body;
        QBrush bodyBackground;

        static SCellStyles FromStyleSheet(const QString& styleSheet, const QFont& font);
    };

    CDataSetTable(const IDataSet& dataSet, const SDataSetTag& tag, const QMap<QString, QColor>& colors,
                  const QLocale& locale);

    // Why the table cannot go into a report (a cell past c_nMaxUnbrokenRun); empty
    // when it can.
    QString Problem() const;

    // Inserts the table at cursor through the document's table API: a header row
    // (repeated on every page), one row per data-set row, 100% wide, a thin grid
    // (drawn by Decorate), numbers right-aligned. base is the character format of
    // the surrounding text; styles dress it further. rowsDone counts the rows as
    // they go in; progress, when given, hears the count every few hundred rows.
    // Returns the table, which belongs to the cursor's document.
    QTextTable* Insert(QTextCursor* cursor, const QTextCharFormat& base, const SCellStyles& styles, int* rowsDone,
                       const std::function<void(int)>& progress) const;

    // What a page shows of the data-set tables besides the rich-text layout's own
    // drawing: the grid lines, and white covers over the stretch the layout leaves
    // below the last row before a page break (it draws that row's cells on down
    // the page). Document coordinates.
    struct SPageDecoration
    {
        std::vector<QLineF> lines;
        std::vector<QRectF> covers;
    };
    // Adds the decoration of a table inserted by Insert to pages, once its document
    // is laid out in pages of pageHeight. The layout draws no borders for these
    // tables: one line per row and column edge is far cheaper to draw, in a PDF
    // above all, than four edges per cell.
    static void Decorate(QTextTable* table, qreal pageHeight, std::vector<SPageDecoration>* pages);
    static QColor GridColor();

    // Inserts the visible note for a tag whose data set is not there and logs it.
    static void InsertMissing(QTextCursor* cursor, const QTextCharFormat& base, const SDataSetTag& tag);

private:
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
