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

// The entries in playlist order, relative ones resolved against the
// playlist's own URL. Entries of any scheme are returned; the caller
// decides which it may open. Empty when nothing could be read.
QList<QUrl> parsePlaylist(PlaylistFormat format, const QByteArray& body, const QUrl& playlistURL);

} // namespace tunara
