// Each test gets a folder of its own, so that tests never share files and can run in parallel.
#pragma once

#include "tests/support/qt_printers.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qx::test {

class TempDirTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString dirPath() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Whole-file helpers for fixtures.
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& data);

} // namespace qx::test
