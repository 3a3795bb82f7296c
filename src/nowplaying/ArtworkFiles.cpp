#include "ArtworkFiles.h"

#include "StationArtwork.h"

#include "common/Diagnostics.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tunara {

namespace {

// A file being written carries this suffix until it is complete.
const QString partialSuffix = QStringLiteral(".part");

QByteArray encodePng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

ArtworkFiles::ArtworkFiles(QString directory)
    : directory_(std::move(directory))
{
    connect(&drawn_, &QFutureWatcherBase::finished, this, [this] { save(drawn_.result()); });
}

ArtworkFiles::~ArtworkFiles()
{
    drawn_.waitForFinished();
}

QString ArtworkFiles::fileName(const QString& stationName)
{
    const QByteArray digest = QCryptographicHash::hash(stationName.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex()) + QStringLiteral(".png");
}

void ArtworkFiles::readDirectory()
{
    if (directoryRead_)
        return;
    directoryRead_ = true;
    static const QRegularExpression ourFile(QStringLiteral("^[0-9a-f]{64}\\.png$"));
    const QFileInfoList entries = QDir(directory_).entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        const bool partial = name.endsWith(partialSuffix);
        if (!ourFile.match(partial ? name.chopped(partialSuffix.size()) : name).hasMatch())
            continue; // not ours: left alone
        // A write cut short, or an empty file left by a crash, is drawn
        // again when asked for.
        if (partial || entry.size() == 0)
            QFile::remove(entry.filePath());
        else
            filesOnDisk_.insert(name);
    }
}

QUrl ArtworkFiles::url(const QString& stationName)
{
    readDirectory();
    const QString file = fileName(stationName);
    if (!filesOnDisk_.contains(file))
        return {};
    return QUrl::fromLocalFile(directory_ + u'/' + file);
}

void ArtworkFiles::request(const QStringList& stationNames)
{
    readDirectory();
    // The first name of the latest request gets the highest order.
    for (auto name = stationNames.crbegin(); name != stationNames.crend(); ++name) {
        const QString file = fileName(*name);
        if (filesOnDisk_.contains(file) || drawing_ == *name)
            continue;
        if (keptFiles_)
            keptFiles_->insert(file);
        if (const auto waiting = waitingOrder_.constFind(*name); waiting != waitingOrder_.cend())
            waiting_.erase(*waiting);
        waiting_.emplace(nextOrder_, *name);
        waitingOrder_.insert(*name, nextOrder_);
        ++nextOrder_;
    }
    drawNext();
}

void ArtworkFiles::keepOnly(const QSet<QString>& stationNames)
{
    readDirectory();
    QSet<QString> kept;
    kept.reserve(stationNames.size());
    for (const QString& name : stationNames)
        kept.insert(fileName(name));
    for (auto file = filesOnDisk_.begin(); file != filesOnDisk_.end();) {
        if (kept.contains(*file)) {
            ++file;
            continue;
        }
        QFile::remove(directory_ + u'/' + *file);
        file = filesOnDisk_.erase(file);
    }
    for (auto waiting = waiting_.begin(); waiting != waiting_.end();) {
        if (kept.contains(fileName(waiting->second))) {
            ++waiting;
            continue;
        }
        waitingOrder_.remove(waiting->second);
        waiting = waiting_.erase(waiting);
    }
    keptFiles_ = std::move(kept);
}

bool ArtworkFiles::isKept(const QString& file) const
{
    return !keptFiles_ || keptFiles_->contains(file);
}

void ArtworkFiles::drawNext()
{
    if (drawing_ || waiting_.empty())
        return;
    const auto next = std::prev(waiting_.end());
    drawing_ = next->second;
    waitingOrder_.remove(next->second);
    waiting_.erase(next);

    // The drawing gets values and gives back a value; only the main thread
    // touches this object.
    drawn_.setFuture(QtConcurrent::run([image = artwork::StationImage(*drawing_)] { return encodePng(image.render()); }));
}

void ArtworkFiles::save(const QByteArray& png)
{
    const QString stationName = *std::exchange(drawing_, std::nullopt);
    const QString file = fileName(stationName);
    if (isKept(file)) {
        const QString failure = png.isEmpty() ? QStringLiteral("cannot encode PNG") : write(file, png);
        // A failing folder is reported once, not for every station.
        if (!failure.isEmpty() && !failing_)
            writeDiagnosticLine(QStringLiteral("Failed to write artwork: ") + failure);
        failing_ = !failure.isEmpty();
        if (!failing_) {
            filesOnDisk_.insert(file);
            emit written(stationName);
        }
    }
    drawNext();
}

QString ArtworkFiles::write(const QString& file, const QByteArray& png)
{
    if (!QDir().mkpath(directory_))
        return QStringLiteral("cannot create ") + directory_;
    // Written beside its final name and renamed over it, so a reader never
    // sees half a file. A cache needs no flush to disk.
    const QString path = directory_ + u'/' + file;
    QFile partial(path + partialSuffix);
    if (!partial.open(QIODevice::WriteOnly | QIODevice::Truncate) || partial.write(png) != png.size()
        || !partial.flush()) {
        const QString reason = partial.errorString();
        partial.remove();
        return reason;
    }
    partial.close();
    if (std::rename(QFile::encodeName(partial.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        partial.remove();
        return reason;
    }
    return {};
}

QString artworkDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/tunara/artwork");
}

} // namespace tunara
