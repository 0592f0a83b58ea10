#include "host/report/DataSetTable.h"

#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/ReportLog.h"

#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <boost/core/demangle.hpp>

#include <typeindex>
#include <unordered_set>

namespace NFastReport {

namespace {

// Cells beyond the column list are read up to this many per row.
const unsigned int c_nMaxExtraColumns = 64;
// Unknown cell types are logged one by one up to this many per table.
const int c_nMaxTypeLogs = 10;
// Layout units.
// How often the progress of a long table is told.
const int c_nProgressRows = 256;
const qreal c_dPadding = 3;

bool isNumeric(const boost::any& cell)
{
    static const std::unordered_set<std::type_index> types{
        typeid(short),     typeid(unsigned short),     typeid(int),   typeid(unsigned int),
        typeid(long),      typeid(unsigned long),      typeid(float), typeid(double),
        typeid(long long), typeid(unsigned long long)};
    return types.count(cell.type()) != 0;
}

QString text(const char* value)
{
    return value ? QString::fromLocal8Bit(value) : QString();
}

// The end of a message about a column that is not there: the ones that are.
QString columnList(const QStringList& columns)
{
    if (columns.isEmpty())
        return QStringLiteral("it has no columns");
    return QStringLiteral("its columns are \"%1\"").arg(columns.join(QStringLiteral("\", \"")));
}

// The format of text inside a table or note: the surrounding text's, without the
// placeholder's anchor.
QTextCharFormat plain(const QTextCharFormat& base)
{
    QTextCharFormat format = base;
    format.setAnchor(false);
    format.setAnchorNames(QStringList());
    format.clearProperty(QTextFormat::AnchorHref);
    return format;
}

// A document that loads nothing: the style probe is never shown, and what its
// style sheet refers to is loaded (or refused) by the report's own document.
class CProbeDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

} // namespace

CDataSetTable::SCellStyles CDataSetTable::SCellStyles::FromStyleSheet(const QString& styleSheet, const QFont& font)
{
    CProbeDocument probe;
    probe.setDefaultFont(font);
    probe.setDefaultStyleSheet(styleSheet);
    probe.setHtml(QStringLiteral("<table><tr><th>x</th></tr><tr><td>x</td></tr></table>"));
    SCellStyles styles;
    const auto* table = qobject_cast<QTextTable*>(probe.rootFrame()->childFrames().value(0));
    if (!table || table->rows() != 2)
        return styles;
    auto read = [table](int row, QTextCharFormat* text, QBrush* background) {
        const QTextTableCell cell = table->cellAt(row, 0);
        *background = cell.format().background();
        const QTextBlock block = cell.firstCursorPosition().block();
        if (!block.begin().atEnd())
            *text = block.begin().fragment().charFormat();
    };
    read(0, &styles.header, &styles.headerBackground);
    read(1, &styles.body, &styles.bodyBackground);
    return styles;
}

CDataSetTable::CDataSetTable(const IDataSet& dataSet, const SDataSetTag& tag, const QMap<QString, QColor>& colors,
                             const QLocale& locale)
    : m_sName(tag.dataSet)
    , m_colors(colors)
{
    // Set once here rather than by CellText for every number.
    QLocale notation = locale;
    notation.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const unsigned int declared = dataSet.columnSize();
    for (unsigned int column = 0; column < declared; ++column) {
        QString name;
        try {
            name = text(dataSet.columnName(column));
        } catch (...) {
            // A column without a name gets an empty header.
        }
        m_columns << name;
    }
    if (!tag.colorBy.isEmpty()) {
        m_nColorColumn = m_columns.indexOf(tag.colorBy);
        if (m_nColorColumn < 0)
            LogReport(2, __LINE__, QStringLiteral("Data set \"%1\" has no column \"%2\" to colour by; %3")
                                       .arg(m_sName, tag.colorBy, columnList(m_columns)));
    }

    int unknown = 0;
    const unsigned int rows = dataSet.rowSize();
    m_rows.reserve(rows);
    for (unsigned int row = 0; row < rows; ++row) {
        std::vector<SCell> cells;
        cells.reserve(declared);
        for (unsigned int column = 0; column < declared + c_nMaxExtraColumns; ++column) {
            boost::any cell;
            bool present = true;
            try {
                cell = dataSet.value(row, column);
            } catch (...) {
                // Rows may be narrower than the column list; a cell that cannot be read is empty.
                present = false;
            }
            if (column >= declared && (!present || cell.empty()))
                break;
            SCell shown;
            if (const SColoredCell* keyed = boost::any_cast<SColoredCell>(&cell)) {
                shown.keyed = true;
                shown.colorKey = QString::fromLocal8Bit(keyed->colorKey.data(), int(keyed->colorKey.size()));
                cell = keyed->value;
            }
            bool known = true;
            shown.text = CellText(cell, notation, &known);
            if (m_sProblem.isEmpty() && shown.text.size() > c_nMaxUnbrokenRun
                && LongestUnbrokenRun(shown.text) > c_nMaxUnbrokenRun)
                m_sProblem = QObject::tr("The data set \"%1\", row %2, column %3, holds %4 characters without a space; "
                                         "a report takes at most %5.")
                                 .arg(m_sName)
                                 .arg(row + 1)
                                 .arg(column + 1)
                                 .arg(LongestUnbrokenRun(shown.text))
                                 .arg(c_nMaxUnbrokenRun);
            shown.numeric = isNumeric(cell);
            if (!known && ++unknown <= c_nMaxTypeLogs)
                LogReport(1, __LINE__,
                          QStringLiteral("Data set \"%1\", row %2, column %3 (\"%4\"): cannot show a cell of type %5")
                              .arg(m_sName)
                              .arg(row)
                              .arg(column)
                              .arg(m_columns.value(int(column)),
                                   QString::fromStdString(boost::core::demangle(cell.type().name()))));
            cells.push_back(shown);
        }
        while (int(cells.size()) > m_columns.size())
            m_columns << QString();
        m_rows.push_back(std::move(cells));
    }
    if (unknown > c_nMaxTypeLogs)
        LogReport(1, __LINE__, QStringLiteral("Data set \"%1\": %2 more cells of types that cannot be shown")
                                   .arg(m_sName)
                                   .arg(unknown - c_nMaxTypeLogs));
}

QString CDataSetTable::Problem() const
{
    return m_sProblem;
}

QTextTable* CDataSetTable::Insert(QTextCursor* cursor, const QTextCharFormat& base, const SCellStyles& styles,
                                  int* rowsDone, const std::function<void(int)>& progress) const
{
    QTextCharFormat textFormat = plain(base);
    textFormat.merge(styles.body);
    QTextCharFormat headerFormat = plain(base);
    headerFormat.setFontWeight(QFont::Bold);
    headerFormat.merge(styles.header);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    QTextTableCellFormat headerCell;
    headerCell.setBackground(styles.headerBackground.style() == Qt::NoBrush ? QBrush(QColor(0xe8, 0xe8, 0xe8))
                                                                             : styles.headerBackground);
    QTextTableCellFormat bodyCell;
    if (styles.bodyBackground.style() != Qt::NoBrush)
        bodyCell.setBackground(styles.bodyBackground);

    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(c_dPadding);
    format.setHeaderRowCount(1);

    const int columns = qMax(1, m_columns.size());
    cursor->setCharFormat(textFormat);
    QTextTable* table = cursor->insertTable(int(m_rows.size()) + 1, columns, format);
    // Cells are reached by row and column: inside an edit block the cursor cannot
    // move from cell to cell by itself.
    for (int column = 0; column < columns; ++column) {
        QTextTableCell cell = table->cellAt(0, column);
        cell.setFormat(headerCell);
        cursor->setPosition(cell.firstPosition());
        cursor->insertText(m_columns.value(column), headerFormat);
    }
    for (int row = 0; row < int(m_rows.size()); ++row) {
        const std::vector<SCell>& cells = m_rows[size_t(row)];
        for (int column = 0; column < int(cells.size()); ++column) {
            const SCell& cell = cells[size_t(column)];
            QTextTableCell tableCell = table->cellAt(row + 1, column);
            if (bodyCell.hasProperty(QTextFormat::BackgroundBrush))
                tableCell.setFormat(bodyCell);
            cursor->setPosition(tableCell.firstPosition());
            if (cell.numeric)
                cursor->mergeBlockFormat(right);
            cursor->insertText(cell.text, textFormat);
            if (cell.keyed || column == m_nColorColumn) {
                const auto colour = m_colors.constFind(cell.keyed ? cell.colorKey : cell.text);
                if (colour != m_colors.cend()) {
                    QTextTableCellFormat coloured;
                    coloured.setBackground(*colour);
                    tableCell.setFormat(coloured);
                }
            }
        }
        ++*rowsDone;
        if (progress && *rowsDone % c_nProgressRows == 0)
            progress(*rowsDone);
    }
    cursor->setPosition(table->lastPosition() + 1);
    return table;
}

void CDataSetTable::Decorate(QTextTable* table, qreal pageHeight, std::vector<SPageDecoration>* pages)
{
    QAbstractTextDocumentLayout* layout = table->document()->documentLayout();
    const int rows = table->rows();
    const int columns = table->columns();
    auto firstBlock = [&](int row, int column) {
        return layout->blockBoundingRect(table->cellAt(row, column).firstCursorPosition().block());
    };
    auto rowBottom = [&](int row) {
        qreal bottom = 0;
        for (int column = 0; column < columns; ++column)
            bottom = qMax(bottom,
                          layout->blockBoundingRect(table->cellAt(row, column).lastCursorPosition().block()).bottom());
        return bottom + c_dPadding;
    };
    auto pageOf = [&](qreal y) { return qBound(0, int(y / pageHeight), int(pages->size()) - 1); };

    std::vector<qreal> edges;
    for (int column = 0; column < columns; ++column)
        edges.push_back(firstBlock(0, column).left() - c_dPadding);
    edges.push_back(firstBlock(0, columns - 1).right() + c_dPadding);
    std::vector<qreal> tops(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        tops[size_t(row)] = firstBlock(row, 0).top() - c_dPadding;
    const qreal headerHeight = rowBottom(0) - tops[0];

    // One run of rows per page; a run that continues the table starts with the
    // header row the layout repeats above it.
    for (int first = 0; first < rows;) {
        const int page = pageOf(tops[size_t(first)]);
        int last = first;
        while (last + 1 < rows && pageOf(tops[size_t(last + 1)]) == page)
            ++last;
        SPageDecoration& decoration = (*pages)[size_t(page)];
        const qreal top = first > 0 ? tops[size_t(first)] - headerHeight : tops[0];
        const qreal bottom = rowBottom(last);
        decoration.lines.emplace_back(edges.front(), top, edges.back(), top);
        for (int row = first; row <= last; ++row)
            decoration.lines.emplace_back(edges.front(), tops[size_t(row)], edges.back(), tops[size_t(row)]);
        decoration.lines.emplace_back(edges.front(), bottom, edges.back(), bottom);
        for (const qreal x : edges)
            decoration.lines.emplace_back(x, top, x, bottom);
        const qreal pageBottom = (page + 1) * pageHeight;
        if (last + 1 < rows && bottom < pageBottom)
            decoration.covers.emplace_back(QPointF(edges.front(), bottom), QPointF(edges.back(), pageBottom));
        first = last + 1;
    }
}

QColor CDataSetTable::GridColor()
{
    return QColor(0x80, 0x80, 0x80);
}

void CDataSetTable::InsertMissing(QTextCursor* cursor, const QTextCharFormat& base, const SDataSetTag& tag)
{
    QTextCharFormat format = plain(base);
    format.setFontItalic(true);
    cursor->insertText(QObject::tr("No data set '%1'").arg(tag.dataSet), format);
    LogReport(2, __LINE__, QStringLiteral("The report asks for data set \"%1\", which is not there").arg(tag.dataSet));
}

} // namespace NFastReport
