// Station logos from the directory stand-in's favicons: fetched once,
// scaled and kept in the cache; and every hostile favicon refused without
// a crash or a wait beyond the limits.

#include "DirectoryFixture.h"

#include "model/logos/StationLogos.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tunara::testing {
namespace {

using namespace std::chrono_literals;

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Red on the left, blue on the right.
QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
    return image;
}

class LogoTest : public ::testing::Test {
protected:
    LogoTest()
    {
        writeTo("wide.png", encoded(halves(300, 150), "PNG"));
        writeTo("truncated.jpg", encoded(halves(64, 64), "JPEG").left(400));
    }

    void writeTo(const QString& name, const QByteArray& bytes) const
    {
        QFile file(favicons.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QUrl favicon(const QString& name) const { return directory.url().resolved(QUrl("favicons/" + name)); }
    // The logos with the options above, and what they have told.
    struct Logos {
        explicit Logos(const LogoOptions& options) : logos(options) {}
        // Asks for the logo and waits until it is known; its picture, or a
        // null image when there is none.
        QImage picture(const QUrl& logo)
        {
            if (logos.file(logo).isEmpty()) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return ready.contains({logo}); }, 20000))
                    << logo.toString().toStdString();
            }
            const QUrl file = logos.file(logo);
            return file.isEmpty() ? QImage() : QImage(file.toLocalFile());
        }
        StationLogos logos;
        QSignalSpy ready{&logos, &StationLogos::ready};
    };
    qsizetype requestsFor(const QString& name) const
    {
        return std::ranges::count_if(directory.requests(), [&](const auto& request) { return request.path == "/favicons/" + name; });
    }

    QTemporaryDir favicons;
    QTemporaryDir cache;
    DirectoryFixture directory{{}, 6, favicons.path()};
    LogoOptions options{cache.path(), 1024 * 1024, 2s, 4096, 128};
};

TEST_F(LogoTest, AFaviconIsFetchedOnceScaledAndKeptInTheCache)
{
    ASSERT_TRUE(directory.isRunning());
    {
        Logos logos(options);
        const QImage wide = logos.picture(favicon("wide.png"));
        ASSERT_EQ(wide.size(), QSize(128, 64));
        EXPECT_EQ(wide.pixelColor(8, 32), QColor(Qt::red));
        EXPECT_EQ(wide.pixelColor(120, 32), QColor(Qt::blue));
        // Smaller ones as they are.
        const QImage jazz = logos.picture(favicon("jazz.png"));
        EXPECT_EQ(jazz.size(), QSize(16, 16));
        EXPECT_EQ(jazz.pixelColor(8, 8), QColor("#3366cc"));
    }
    EXPECT_EQ(directory.requests().last().userAgent, "Tunara/" TUNARA_VERSION);
    // The next run finds it in the cache; a cleared cache is filled again.
    Logos again(options);
    EXPECT_FALSE(again.logos.file(favicon("wide.png")).isEmpty());
    EXPECT_EQ(requestsFor("wide.png"), 1);
    ASSERT_TRUE(QDir(cache.path()).removeRecursively());
    EXPECT_EQ(again.picture(favicon("wide.png")).size(), QSize(128, 64));
    EXPECT_EQ(requestsFor("wide.png"), 2);
}

TEST_F(LogoTest, HostileFaviconsGiveNoLogo)
{
    ASSERT_TRUE(directory.isRunning());
    Logos logos(options);
    // 50 MB; a redirect to a local file; no answer within the time allowed;
    // 30,000 x 30,000 pixels; an SVG that draws a billion circles; text
    // named .png; a JPEG cut short; nothing there; not a web address.
    const QStringList hostile{"huge", "to-file", "slow", "giant.png", "bomb.svg", "text.png", "truncated.jpg", "missing.png"};
    for (const QString& name : hostile)
        logos.logos.file(favicon(name)); // all at once, as Find Logos would
    for (const QString& name : hostile)
        EXPECT_TRUE(logos.picture(favicon(name)).isNull()) << name.toStdString();
    EXPECT_TRUE(logos.picture(QUrl("ftp://127.0.0.1/logo.png")).isNull());
    EXPECT_TRUE(QDir(cache.path()).isEmpty());
    // Each was asked for once: what failed is not fetched again in this run.
    EXPECT_TRUE(logos.logos.file(favicon("text.png")).isEmpty());
    EXPECT_EQ(requestsFor("text.png"), 1);
}

// What a picture may be, decoded from its bytes; and a picture of the
// user's copied into the data folder only when it is one.
TEST(LogoDecoding, ReadsTheFaviconFormatsWithinBounds)
{
    const QImage image = halves(40, 20);
    QList<const char*> formats{"PNG", "JPEG", "ICO"};
    if (QImageWriter::supportedImageFormats().contains("webp"))
        formats << "WEBP";
    for (const char* format : formats) {
        const QImage decoded = StationLogos::decode(encoded(image, format), 4096, 128);
        EXPECT_EQ(decoded.size(), QSize(40, 20)) << format;
    }
    EXPECT_TRUE(StationLogos::decode(encoded(halves(300, 10), "PNG"), 256, 128).isNull());
    EXPECT_TRUE(StationLogos::decode(encoded(image, "PNG").left(100), 4096, 128).isNull());
    EXPECT_TRUE(StationLogos::decode("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\"/>", 4096, 128).isNull());

    QTemporaryDir folder;
    const StationLogos logos({folder.filePath("cache")});
    const QString picked = folder.filePath("picked.png");
    image.save(picked);
    const QUuid station = QUuid::createUuid();
    const auto adopted = logos.adopt(picked, folder.filePath("logos"), station);
    ASSERT_TRUE(std::holds_alternative<QUrl>(adopted));
    EXPECT_TRUE(std::get<QUrl>(adopted).toLocalFile().startsWith(folder.filePath("logos/") + station.toString(QUuid::WithoutBraces)));
    QFile::resize(picked, 10);
    EXPECT_TRUE(std::holds_alternative<QString>(logos.adopt(picked, folder.filePath("logos"), station)));
    EXPECT_TRUE(std::holds_alternative<QString>(logos.adopt(folder.filePath("none.png"), folder.filePath("logos"), station)));
}

} // namespace
} // namespace tunara::testing
