#pragma once

// Downloads a station's playlist file (PLS, M3U, XSPF, ASX) over http or
// https: at most maxBytes, within a time limit. Runs on the GLib main
// context of the main thread (which Qt's main loop drives); the completion
// runs there too. Destroying the fetch cancels it and its completion never
// runs.

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <memory>

namespace tunara::gst {

struct PlaylistDownload {
    enum class Outcome { complete, tooLarge, timedOut, failed };
    Outcome outcome = Outcome::failed;
    QByteArray contentType; // as the server named it
    QByteArray body;        // up to maxBytes + 1 bytes; less when it is no playlist
    QUrl finalURL;          // after redirects: relative entries resolve against it
};

class PlaylistFetch {
public:
    static constexpr qsizetype maxBytes = 64 * 1024;
    // Enough of the body to tell a playlist from anything else.
    static constexpr qsizetype sniffedBytes = 1024;
    using Completion = std::function<void(PlaylistDownload)>;

    PlaylistFetch(const QUrl& url, unsigned timeoutSeconds, Completion completion);
    ~PlaylistFetch();

    PlaylistFetch(const PlaylistFetch&) = delete;
    PlaylistFetch& operator=(const PlaylistFetch&) = delete;

    struct Operation; // the running libsoup calls; frees itself when they end

private:
    Operation* operation_;
};

} // namespace tunara::gst
