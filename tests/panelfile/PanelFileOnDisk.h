#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vtl::test {

// A panel file on disk with the given bytes, opened for reading as the restores open it.
class PanelFileOnDisk {
public:
    explicit PanelFileOnDisk(const QByteArray& bytes)
        : file_(dir_.filePath(QStringLiteral("PANEL.PNL"))) {
        QFile out(file_.fileName());
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        EXPECT_EQ(out.write(bytes), bytes.size());
        out.close();
        EXPECT_TRUE(file_.open(QIODevice::ReadOnly));
    }
    QFile& file() { return file_; }

private:
    QTemporaryDir dir_;
    QFile file_;
};

} // namespace vtl::test
