#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <optional>
#include <variant>

class QNetworkAccessManager;

namespace tunara {

// Where logo pictures are kept, and the limits of what is read.
struct LogoOptions {
    QString cacheDirectory; // empty: $XDG_CACHE_HOME/tunara/logos
    qint64 maxBytes = 1024 * 1024;
    std::chrono::milliseconds timeout{10000};
    // Larger images are refused unread.
    int maxDimension = 4096;
    // The largest side of the picture kept.
    int size = 128;
};

// The stations' logos as small PNG files, which the views and the
// desktop's media widgets load by file URL. A logo is named by where it
// comes from: a web address (a directory's favicon), fetched once, or a
// file the user picked, copied into the program's data folder. Either is
// decoded on another thread, within limits, scaled and kept in the cache
// folder; a cleared cache is filled again on demand. A missing, broken or
// hostile image gives no logo (the views draw their own picture), never a
// crash or a wait. Main thread only.
class StationLogos final : public QObject {
    Q_OBJECT

public:
    explicit StationLogos(LogoOptions options = {}, QObject* parent = nullptr);
    ~StationLogos() override;

    // The logo's picture file when it is ready, else empty; one not asked
    // for yet is fetched or read now, and ready() follows.
    QUrl file(const QUrl& logo);
    // A picture the user chose, copied into folder under the station's id:
    // the logo to store; none (and why) when it is not an image read here.
    std::variant<QUrl, QString> adopt(const QString& path, const QString& folder, const QUuid& station) const;

    // The picture in these bytes, scaled to fit size × size: PNG, JPEG,
    // ICO or WebP, no side over maxDimension. A null image otherwise.
    static QImage decode(const QByteArray& bytes, int maxDimension, int size);
    // $XDG_CACHE_HOME/tunara/logos and $XDG_DATA_HOME/tunara/logos.
    static QString defaultCacheDirectory();
    static QString pickedDirectory();

signals:
    // The logo's file is ready, or it is known that there is none.
    void ready(const QUrl& logo);

private:
    enum class State { working, ready, failed };
    QString cachePath(const QUrl& logo) const;
    void fetch(const QUrl& logo);
    void decodeInBackground(const QUrl& logo, const QByteArray& bytes);
    void finish(const QUrl& logo, bool written);

    LogoOptions options_;
    QHash<QUrl, State> states_;
    QNetworkAccessManager* network_ = nullptr; // a child, made on first use
};

} // namespace tunara
