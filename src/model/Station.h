#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

namespace tunara {

// One station: a name and a stream URL, identified by a random id that
// never changes, and perhaps a logo: where its picture comes from (a web
// address, or a file in the program's data folder). Records are compared
// by id, never as a whole.
struct Station {
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QUrl url MEMBER url)
    Q_PROPERTY(QString urlText READ urlText)

public:
    QUuid id;
    QString name;
    QUrl url;
    QUrl logo; // empty: none

    static Station make(const QString& name, const QUrl& url) { return {QUuid::createUuid(), name, url, {}}; }

    // The URL's absolute text, as stored in the library file.
    QString urlText() const { return url.toString(QUrl::FullyEncoded); }
};

} // namespace tunara

Q_DECLARE_METATYPE(tunara::Station)
