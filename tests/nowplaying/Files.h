#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

namespace tunara::testing {

// Writes a file, making its folder first.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

inline QSet<QString> filesIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return {names.cbegin(), names.cend()};
}

} // namespace tunara::testing
