#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

namespace tunara {

// A station as the community directory lists it, reduced to what Tunara
// shows and stores. Texts are cleaned for display.
struct DirectoryStation {
    QUuid uuid;
    QString name;
    // The stream to store: the directory's resolved URL when it is a valid
    // stream URL, else the URL as submitted.
    QUrl url;
    // Both of the directory's URLs that are valid stream URLs: a station in
    // the list under either is already there.
    QList<QUrl> knownURLs;
    QString countryCode;
    QString codec;
    int bitrate = 0; // kbps; 0 when unknown
    bool hls = false;
    QStringList tags; // the first few
    QUrl favicon;     // an http or https address; empty for none
};

} // namespace tunara
