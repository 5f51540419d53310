#pragma once

// Reader for the reference tables in the test data folder: UTF-8, tab-separated, one header line, no
// quoting; in cells "\\" is a backslash, "\t" "\r" "\n" are tab/CR/LF, "\xNN" another control
// character and "\uXXXX" a UTF-16 unit (lone surrogates too).

#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace kopix::test {

class TsvTable {
public:
    using Row = QStringList;

    // fileName is relative to the test data folder. A missing or empty file gives no rows and an error.
    static TsvTable load(const QString& fileName) {
        TsvTable table;
        QFile file(QStringLiteral(KOPIX_TESTDATA_DIR "/") + fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            table.m_error = file.fileName() + u": " + file.errorString();
            return table;
        }
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        if (lines.isEmpty()) {
            table.m_error = file.fileName() + u": no header";
            return table;
        }
        table.m_columns = lines.takeFirst().split(u'\t');
        for (const QString& line : lines) {
            Row row = line.split(u'\t');
            if (row.size() != table.m_columns.size()) {
                table.m_error = file.fileName() + u": wrong cell count in: " + line;
                return table;
            }
            table.m_rows.push_back(row);
        }
        return table;
    }

    static QString unescape(QStringView cell) {
        QString text;
        for (qsizetype i = 0; i < cell.size(); ++i) {
            if (cell[i] != u'\\' || i + 1 == cell.size()) {
                text += cell[i];
                continue;
            }
            const QChar kind = cell[++i];
            int digits = 0;
            if (kind == u'\\')
                text += u'\\';
            else if (kind == u't')
                text += u'\t';
            else if (kind == u'r')
                text += u'\r';
            else if (kind == u'n')
                text += u'\n';
            else if (kind == u'x')
                digits = 2;
            else if (kind == u'u')
                digits = 4;
            else
                text += u'\\' + QString(kind); // not an escape: keep it as it stands
            if (digits > 0) {
                text += QChar(static_cast<char16_t>(cell.sliced(i + 1, digits).toUInt(nullptr, 16)));
                i += digits;
            }
        }
        return text;
    }

    const QString& error() const { return m_error; }
    const std::vector<Row>& rows() const { return m_rows; }

    // The unescaped cell of a row; an unknown column is an empty string.
    QString cell(const Row& row, const QString& column) const {
        const qsizetype index = m_columns.indexOf(column);
        return index < 0 ? QString() : unescape(row[index]);
    }

private:
    QStringList m_columns;
    std::vector<Row> m_rows;
    QString m_error;
};

} // namespace kopix::test
