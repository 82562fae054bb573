#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace vtl::test {

// A window's child by object name; a missing one fails the test that asked for it.
template <typename W = QPushButton> W* find(QWidget& window, const char* name) {
    auto* w = window.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace vtl::test
