#include "host/report/DataSetTable.h"

#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/ReportLog.h"

#include <QBrush>
#include <QCryptographicHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <boost/core/demangle.hpp>

#include <cstring>
#include <typeindex>
#include <unordered_set>

namespace NFastReport {

namespace {

// Cells beyond the column list are read up to this many per row.
const unsigned int c_nMaxExtraColumns = 64;
// Unknown cell types are logged one by one up to this many per table.
const int c_nMaxTypeLogs = 10;

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

CTableBlock::SStyle CDataSetTable::SCellStyles::Style(const QTextCharFormat& base) const
{
    QTextCharFormat body = plain(base);
    body.merge(this->body);
    QTextCharFormat head = plain(base);
    head.setFontWeight(QFont::Bold);
    head.merge(header);
    auto colour = [](const QTextCharFormat& format) {
        return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor(Qt::black);
    };
    CTableBlock::SStyle style;
    style.headerFont = head.font();
    style.bodyFont = body.font();
    style.headerText = colour(head);
    style.bodyText = colour(body);
    style.headerBackground =
        headerBackground.style() == Qt::NoBrush ? QBrush(QColor(0xe8, 0xe8, 0xe8)) : headerBackground;
    style.bodyBackground = bodyBackground;
    return style;
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

QColor CDataSetTable::background(size_t column, const SCell& cell) const
{
    if (cell.keyed || int(column) == m_nColorColumn)
        return m_colors.value(cell.keyed ? cell.colorKey : cell.text);
    return QColor();
}

QByteArray CDataSetTable::Digest(const CTableBlock::SStyle& style, qreal width) const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Every piece is given with its length, so that no two inputs run together alike.
    auto add = [&hash](const QString& text) {
        const int size = text.size();
        hash.addData(reinterpret_cast<const char*>(&size), sizeof size);
        hash.addData(reinterpret_cast<const char*>(text.constData()), size * int(sizeof(QChar)));
    };
    auto addNumber = [&hash](quint64 value) { hash.addData(reinterpret_cast<const char*>(&value), sizeof value); };
    add(style.headerFont.toString());
    add(style.bodyFont.toString());
    addNumber(quint64(style.headerFont.letterSpacing() * 1024) ^ (quint64(style.bodyFont.letterSpacing() * 1024) << 32));
    for (const QBrush& brush : {QBrush(style.headerText), QBrush(style.bodyText), style.headerBackground, style.bodyBackground})
        addNumber((quint64(brush.style()) << 32) | brush.color().rgba());
    quint64 bits = 0;
    std::memcpy(&bits, &width, sizeof bits);
    addNumber(bits);
    addNumber(quint64(m_columns.size()));
    for (const QString& column : m_columns)
        add(column);
    addNumber(quint64(m_rows.size()));
    for (const std::vector<SCell>& cells : m_rows) {
        addNumber(quint64(cells.size()));
        for (size_t column = 0; column < cells.size(); ++column) {
            const QColor shade = background(column, cells[column]);
            addNumber((quint64(cells[column].numeric) << 33) | (quint64(shade.isValid()) << 32) | shade.rgba());
            add(cells[column].text);
        }
    }
    return hash.result();
}

std::unique_ptr<CTableBlock> CDataSetTable::LayOut(const CTableBlock::SStyle& style, qreal width,
                                                   QPaintDevice* device,
                                                   const std::function<bool(int)>& progress) const
{
    std::vector<std::vector<CTableBlock::SCellInput> > rows;
    rows.reserve(m_rows.size());
    for (const std::vector<SCell>& cells : m_rows) {
        std::vector<CTableBlock::SCellInput> row;
        row.reserve(cells.size());
        for (size_t column = 0; column < cells.size(); ++column) {
            const SCell& cell = cells[column];
            row.push_back(CTableBlock::SCellInput{cell.text, cell.numeric, background(column, cell)});
        }
        rows.push_back(std::move(row));
    }
    std::unique_ptr<CTableBlock> block(new CTableBlock(m_columns, rows, style, width, device, progress));
    if (!block->Complete())
        block.reset();
    return block;
}

void CDataSetTable::InsertMissing(QTextCursor* cursor, const QTextCharFormat& base, const SDataSetTag& tag)
{
    QTextCharFormat format = plain(base);
    format.setFontItalic(true);
    cursor->insertText(QObject::tr("No data set '%1'").arg(tag.dataSet), format);
    LogReport(2, __LINE__, QStringLiteral("The report asks for data set \"%1\", which is not there").arg(tag.dataSet));
}

} // namespace NFastReport
