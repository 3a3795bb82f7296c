#include "UiFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

namespace tunara::testing {

UiHarness::UiHarness()
{
    const QUrl library = QUrl::fromLocalFile(QDir(directory.path()).filePath(QStringLiteral("database.json")));
    store = std::make_unique<Store>(platform.environment(), library);
    app = std::make_unique<TunaraApp>(*store);
}

UiHarness::~UiHarness()
{
    app.reset();
    store.reset();
}

QString UiHarness::libraryPath() const
{
    return QDir(directory.path()).filePath(QStringLiteral("database.json"));
}

void UiHarness::setStations(const QStringList& names)
{
    QSet<QUuid> ids;
    for (const AudioStream& stream : store->streams())
        ids.insert(stream.id);
    store->deleteStreams(ids);
    for (qsizetype i = 0; i < names.size(); ++i)
        store->addStreamReturningId(names.at(i), QStringLiteral("http://127.0.0.1:8000/station%1").arg(i));
}

void UiHarness::present(int index, PlayingStatus status, const ParsedMetadata& metadata)
{
    store->setSelectedStream(station(index));
    store->didChangeStatus(status);
    store->didChangeMetadata(metadata);
}

QQuickView& UiHarness::showPanel()
{
    QQuickView& view = app->panel();
    view.show();
    view.requestActivate();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    return view;
}

QQuickView& UiHarness::showSettings()
{
    app->openSettings();
    QQuickView& view = app->settings();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    return view;
}

QList<QQuickItem*> UiHarness::descendants(QQuickItem* root)
{
    QList<QQuickItem*> result;
    if (!root)
        return result;
    for (QQuickItem* child : root->childItems()) {
        result.append(child);
        result.append(descendants(child));
    }
    return result;
}

QQuickItem* UiHarness::find(QQuickItem* root, const QString& objectName)
{
    if (!root)
        return nullptr;
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem* item : descendants(root)) {
        if (item->objectName() == objectName)
            return item;
    }
    return nullptr;
}

QQuickItem* UiHarness::find(QQuickView& view, const QString& objectName)
{
    // Popups and dialogs live in the window's overlay, beside the root.
    return find(view.contentItem(), objectName);
}

QVariant UiHarness::property(QQuickView& view, const QString& objectName, const char* name)
{
    QQuickItem* item = find(view, objectName);
    EXPECT_NE(item, nullptr) << qPrintable(objectName);
    return item ? item->property(name) : QVariant();
}

QPoint UiHarness::centreOf(QQuickItem* item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

ParsedMetadata metadata(const QString& title, std::optional<QString> artist)
{
    ParsedMetadata result;
    result.title = title;
    result.artist = std::move(artist);
    return result;
}

} // namespace tunara::testing
