#include "StationLogos.h"

#include "common/Diagnostics.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

namespace tunara {

namespace {

// What a favicon is, as the image plug-ins name their formats. SVG is not
// among them: a drawing can ask for any amount of work.
bool isAllowedFormat(const QByteArray& format)
{
    return format == "png" || format == "jpeg" || format == "jpg" || format == "ico" || format == "webp";
}

// A format a favicon comes in, of a size within bounds as far as its
// header tells, read from the header alone. (Qt tells ICO by its name
// only: here by its first bytes.)
bool isReadable(QImageReader& reader, const QByteArray& bytes, int maxDimension)
{
    if (bytes.startsWith(QByteArrayLiteral("\0\0\1\0")))
        reader.setFormat("ico");
    const QSize size = reader.size();
    return isAllowedFormat(reader.format())
           && !(size.isValid() && (size.width() > maxDimension || size.height() > maxDimension));
}

// Decodes and writes the picture; false when there is none.
bool writePicture(const QByteArray& bytes, const QString& path, int maxDimension, int size)
{
    const QImage image = StationLogos::decode(bytes, maxDimension, size);
    if (image.isNull())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

// At most limit + 1 bytes of a regular file: more means too large.
std::optional<QByteArray> readSmallFile(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(limit + 1);
}

} // namespace

StationLogos::StationLogos(LogoOptions options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
{
    if (options_.cacheDirectory.isEmpty())
        options_.cacheDirectory = defaultCacheDirectory();
}

StationLogos::~StationLogos() = default;

QString StationLogos::defaultCacheDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).filePath(QStringLiteral("tunara/logos"));
}

QString StationLogos::pickedDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("tunara/logos"));
}

QImage StationLogos::decode(const QByteArray& bytes, int maxDimension, int size)
{
    QByteArray held = bytes;
    QBuffer buffer(&held);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!isReadable(reader, bytes, maxDimension))
        return {};
    // A JPEG cut short decodes to a picture grey at the bottom: without its
    // end marker it is taken as broken.
    if (reader.format() == "jpeg" && !bytes.contains(QByteArrayLiteral("\xFF\xD9")))
        return {};
    // Also for formats that tell their size only as they decode (in MiB).
    reader.setAllocationLimit(int(qint64(maxDimension) * maxDimension * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull() || image.width() > maxDimension || image.height() > maxDimension)
        return {};
    if (image.width() > size || image.height() > size)
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QString StationLogos::cachePath(const QUrl& logo) const
{
    const QByteArray hash = QCryptographicHash::hash(logo.toEncoded(), QCryptographicHash::Sha256).toHex();
    return QDir(options_.cacheDirectory).filePath(QString::fromLatin1(hash.left(32)) + QStringLiteral(".png"));
}

QUrl StationLogos::file(const QUrl& logo)
{
    if (logo.isEmpty() || !logo.isValid())
        return {};
    const QString path = cachePath(logo);
    const bool onDisk = QFileInfo::exists(path);
    const auto known = states_.constFind(logo);
    // A picture gone from the cache while the program runs is made again.
    if (known != states_.constEnd() && !(*known == State::ready && !onDisk))
        return *known == State::ready ? QUrl::fromLocalFile(path) : QUrl();
    if (onDisk) {
        states_.insert(logo, State::ready);
        return QUrl::fromLocalFile(path);
    }
    states_.insert(logo, State::working);
    if (logo.isLocalFile()) {
        if (const std::optional<QByteArray> bytes = readSmallFile(logo.toLocalFile(), options_.maxBytes);
            bytes && bytes->size() <= options_.maxBytes)
            decodeInBackground(logo, *bytes);
        else
            finish(logo, false);
    } else if (logo.scheme() == QLatin1String("http") || logo.scheme() == QLatin1String("https")) {
        fetch(logo);
    } else {
        finish(logo, false);
    }
    return {};
}

void StationLogos::fetch(const QUrl& logo)
{
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(logo);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Tunara/" TUNARA_VERSION));
    request.setTransferTimeout(int(options_.timeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = network_->get(request);
    // An aborted reply may finish without an error: it is marked refused.
    const auto refuse = [reply] {
        reply->setProperty("refused", true);
        reply->abort();
    };
    // Only to another web address.
    connect(reply, &QNetworkReply::redirected, reply, [reply, refuse](const QUrl& to) {
        if (to.scheme() == QLatin1String("http") || to.scheme() == QLatin1String("https"))
            emit reply->redirectAllowed();
        else
            refuse();
    });
    const qint64 limit = options_.maxBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply, [refuse, limit](qint64 received, qint64 total) {
        if (received > limit || total > limit)
            refuse();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, logo] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->property("refused").toBool() || reply->error() != QNetworkReply::NoError || status != 200) {
            writeDiagnosticLine(QStringLiteral("No logo from %1: %2").arg(logo.toString(), reply->errorString()));
            finish(logo, false);
            return;
        }
        decodeInBackground(logo, reply->read(options_.maxBytes));
    });
}

void StationLogos::decodeInBackground(const QUrl& logo, const QByteArray& bytes)
{
    QtConcurrent::run(writePicture, bytes, cachePath(logo), options_.maxDimension, options_.size)
        .then(this, [this, logo](bool written) { finish(logo, written); });
}

void StationLogos::finish(const QUrl& logo, bool written)
{
    states_.insert(logo, written ? State::ready : State::failed);
    emit ready(logo);
}

std::variant<QUrl, QString> StationLogos::adopt(const QString& path, const QString& folder, const QUuid& station) const
{
    const std::optional<QByteArray> bytes = readSmallFile(path, options_.maxBytes);
    if (!bytes)
        return tr("The file could not be read.");
    if (bytes->size() > options_.maxBytes)
        return tr("The image is larger than 1 MiB.");
    // Its header read here to refuse at once what would never show; the
    // picture is decoded later, on another thread, as every logo is.
    QByteArray held = *bytes;
    QBuffer buffer(&held);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!isReadable(reader, *bytes, options_.maxDimension))
        return tr("The file is not a PNG, JPEG, ICO or WebP image of at most 4096 × 4096 pixels.");
    const QString copy = QDir(folder).filePath(station.toString(QUuid::WithoutBraces) + QLatin1Char('-')
                                               + QString::number(qHash(*bytes), 16) + QStringLiteral(".img"));
    QDir().mkpath(folder);
    QSaveFile file(copy);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        return file.errorString();
    return QUrl::fromLocalFile(copy);
}

} // namespace tunara
