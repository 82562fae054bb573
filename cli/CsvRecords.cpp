#include "cli/CsvRecords.h"

#include <QStringDecoder>

namespace vtl::cli {
namespace {

char separatorOf(const QByteArray& bytes) {
    qsizetype end = bytes.indexOf('\n');
    if (end < 0) end = bytes.size();
    const QByteArray first = bytes.left(end);
    return first.contains(';') && !first.contains(',') ? ';' : ',';
}

// Walks the bytes once; quotes, separators and line ends are single bytes in UTF-8, so fields are
// cut from the bytes and decoded afterwards.
class CsvReader {
public:
    explicit CsvReader(const QByteArray& bytes) : bytes_(bytes), separator_(separatorOf(bytes)) {}

    CsvText run() {
        while (pos_ < bytes_.size() && result_.ok()) {
            readRecord();
        }
        return result_;
    }

private:
    bool atLineEnd() const { return bytes_[pos_] == '\n' || bytes_[pos_] == '\r'; }

    void skipLineEnd() {
        if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    }

    void fail(const QString& why, int line) {
        result_.error = why;
        result_.errorLine = line;
    }

    void readRecord() {
        CsvRecord record{line_, {}};
        bool blank = true;
        for (;;) {
            QByteArray field;
            if (!readField(field)) return;
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString text = utf8(field);
            if (utf8.hasError()) return fail(QStringLiteral("the text is not UTF-8"), record.line);
            blank = blank && text.trimmed().isEmpty();
            record.fields << text;
            if (pos_ >= bytes_.size()) break;
            if (atLineEnd()) {
                skipLineEnd();
                break;
            }
            ++pos_; // the separator
        }
        if (!blank) result_.records << record;
    }

    // Leaves pos_ on the separator or line end after the field, or at the end of the text.
    bool readField(QByteArray& field) {
        while (pos_ < bytes_.size() && bytes_[pos_] == ' ')
            ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] == '"') return readQuoted(field);
        const qsizetype start = pos_;
        while (pos_ < bytes_.size() && bytes_[pos_] != separator_ && !atLineEnd()) {
            if (bytes_[pos_] == '"') {
                fail(QStringLiteral("a quote inside a field that does not start with one"), line_);
                return false;
            }
            ++pos_;
        }
        field = bytes_.mid(start, pos_ - start).trimmed();
        return true;
    }

    bool readQuoted(QByteArray& field) {
        const int opened = line_;
        ++pos_;
        for (;;) {
            if (pos_ >= bytes_.size()) {
                fail(QStringLiteral("a quoted field is not closed"), opened);
                return false;
            }
            const char c = bytes_[pos_];
            if (c == '"') {
                if (pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            if (c == '\n' || (c == '\r' && !(pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n')))
                ++line_;
            field += c;
            ++pos_;
        }
        while (pos_ < bytes_.size() && bytes_[pos_] == ' ')
            ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] != separator_ && !atLineEnd()) {
            fail(QStringLiteral("text after the closing quote of a field"), line_);
            return false;
        }
        return true;
    }

    QByteArray bytes_;
    char separator_;
    qsizetype pos_ = 0;
    int line_ = 1;
    CsvText result_;
};

} // namespace

CsvText readCsv(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    return CsvReader(bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes).run();
}

} // namespace vtl::cli
