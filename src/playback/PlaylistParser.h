#pragma once

// Reading the small playlist files that radio stations publish in place of
// a bare stream URL: PLS, M3U, XSPF and ASX. HLS playlists are recognised
// so that they are left to the media backend.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

namespace tunara {

enum class PlaylistFormat { notPlaylist, pls, m3u, xspf, asx, hls };

// Decides from the server's content type and the first bytes of the body.
// A content type of text/plain or application/octet-stream (or none) is
// not trusted: the body is sniffed instead.
PlaylistFormat detectPlaylistFormat(const QByteArray& contentType, const QByteArray& head);

// One entry of a playlist: where it points, and the title the file gives it
// (#EXTINF, TitleN, or the <title> of its track or entry), as written there;
// empty when it has none.
struct PlaylistEntry {
    QUrl url;
    QString title;
};

// The entries in playlist order, relative ones resolved against the
// playlist's own URL. Entries of any scheme are returned; the caller
// decides which it may open. Empty when nothing could be read.
QList<PlaylistEntry> parsePlaylistEntries(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL);
QList<QUrl> parsePlaylist(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL);

} // namespace tunara
