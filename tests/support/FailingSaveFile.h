#pragma once

#include <QSaveFile>

namespace vtl::test {

// Takes `budget` bytes, then refuses every write: a full disk in the middle of a file.
class FailingSaveFile final : public QSaveFile {
public:
    FailingSaveFile(const QString& name, qint64 budget) : QSaveFile(name), budget_(budget) {}

protected:
    qint64 writeData(const char* data, qint64 len) override {
        if (len > budget_) return -1;
        budget_ -= len;
        return QSaveFile::writeData(data, len);
    }

private:
    qint64 budget_;
};

} // namespace vtl::test
