#pragma once

// What the fuzz targets share. A broken rule stops the run as a crash. The
// program's diagnostics (standard output) and Qt's warnings stay out of the
// fuzzer's log.

#include "common/DisplayText.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdint>
#include <cstdio>

namespace tunara::fuzz {

inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text as cleaning leaves it, and not empty.
inline bool isShownText(const QString& text)
{
    return !text.isEmpty() && cleanDisplayText(text) == text;
}

inline bool isWebURL(const QUrl& url)
{
    return (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) && !url.host().isEmpty();
}

// A folder of this process, in memory.
inline QString folder()
{
    static const QTemporaryDir folder(QStringLiteral("/dev/shm/tunara-fuzz-XXXXXX"));
    return folder.path();
}

// A file in that folder holding these bytes.
inline QString fileWith(const QString& name, const QByteArray& contents)
{
    QFile file(folder() + u'/' + name);
    check(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    return file.fileName();
}

inline const bool quiet = [] {
    check(std::freopen("/dev/null", "w", stdout) != nullptr);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return true;
}();

} // namespace tunara::fuzz
