#include "UiFixture.h"

#include <QDir>
#include <QHash>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace tunara::testing {

UiHarness::UiHarness()
{
    store = std::make_unique<Store>(player, QUrl::fromLocalFile(libraryPath()), std::nullopt, platform.clock);
    history.follow(*store);
    app = std::make_unique<TunaraApp>(*store, history);
}

QString UiHarness::libraryPath() const
{
    return QDir(directory.path()).filePath(QStringLiteral("database.json"));
}

void UiHarness::setStations(const QStringList& names)
{
    QSet<QUuid> ids;
    for (const Station& stream : store->stations())
        ids.insert(stream.id);
    store->deleteStations(ids);
    for (qsizetype i = 0; i < names.size(); ++i)
        store->addStation(names.at(i), QStringLiteral("http://127.0.0.1:8000/station%1").arg(i));
}

void UiHarness::present(int index, PlayingStatus status, const std::optional<Track>& track)
{
    store->playStation(station(index).id);
    const FakeSession& session = platform.backend.session();
    if (status != PlayingStatus::loading && status != PlayingStatus::error)
        session.report(SessionState::playing);
    if (status == PlayingStatus::buffering)
        session.report(SessionState::buffering);
    if (status == PlayingStatus::error)
        session.report(PlaybackFailure::because(FailureReason::notFound));
    if (track)
        session.report(StreamTitle{track->artist ? *track->artist + QStringLiteral(" - ") + track->title : track->title});
    if (status == PlayingStatus::paused)
        store->togglePlayPause();
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

QQuickItem* UiHarness::find(QQuickItem* root, const QString& objectName)
{
    if (!root || root->objectName() == objectName)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = find(child, objectName))
            return found;
    }
    return nullptr;
}

// The delegate of a ListView's row if made, where the list is.
static QQuickItem* madeRow(QQuickItem* list, int index)
{
    QQuickItem* row = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, index));
    return row;
}

QQuickItem* UiHarness::listRow(QQuickItem* list, int index)
{
    constexpr int contain = 4; // ListView.Contain
    QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, index), Q_ARG(int, contain));
    return madeRow(list, index);
}

bool UiHarness::inView(QQuickItem* list, int index)
{
    QQuickItem* row = madeRow(list, index);
    const QRectF inList = row ? row->mapRectToItem(list, row->boundingRect()) : QRectF();
    return row && inList.top() >= -0.5 && inList.bottom() <= list->height() + 0.5;
}

int UiHarness::madeRows(QQuickItem* list)
{
    const auto* contentItem = list->property("contentItem").value<QQuickItem*>();
    int count = 0;
    for (QQuickItem* child : contentItem->childItems()) {
        if (child->property("index").isValid())
            ++count;
    }
    return count;
}

QPoint UiHarness::centreOf(QQuickItem* item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

std::optional<Track> metadata(const QString& title, std::optional<QString> artist)
{
    return Track{title, std::move(artist)};
}

namespace {

double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double contrast(QRgb a, QRgb b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

void collectTexts(QQuickItem* item, QList<QQuickItem*>& texts)
{
    // Controls that cannot be used need no contrast.
    if (!item->isVisible() || item->opacity() == 0 || !item->isEnabled())
        return;
    if (item->inherits("QQuickText") && !item->property("text").toString().trimmed().isEmpty())
        texts.append(item);
    for (QQuickItem* child : item->childItems())
        collectTexts(child, texts);
}

} // namespace

QStringList lowContrastTexts(QQuickView& view, double minimum)
{
    const QImage picture = view.grabWindow().convertToFormat(QImage::Format_RGB32);
    const qreal scale = picture.width() / qreal(view.width());
    QList<QQuickItem*> texts;
    collectTexts(view.contentItem(), texts);
    QStringList low;
    for (QQuickItem* text : texts) {
        const QRect box = QRectF(text->mapRectToScene(text->boundingRect()).topLeft() * scale,
                                 text->boundingRect().size() * scale)
                              .toAlignedRect()
                              .intersected(picture.rect());
        QHash<QRgb, int> counts;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                ++counts[picture.pixel(x, y)];
        if (counts.size() < 2)
            continue; // clipped away or scrolled out
        const QRgb background = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                                    return a.second < b.second;
                                })->first;
        double best = 1;
        for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
            best = std::max(best, contrast(*it, background));
        if (best < minimum)
            low << text->property("text").toString() + QStringLiteral(": %1").arg(best, 0, 'f', 2);
    }
    return low;
}

double focusRingContrast(QQuickView& view)
{
    const QImage picture = view.grabWindow().convertToFormat(QImage::Format_RGB32);
    const qreal scale = picture.width() / qreal(view.width());
    QList<QQuickItem*> items{view.contentItem()};
    for (qsizetype i = 0; i < items.size(); ++i)
        items += items[i]->childItems();
    for (QQuickItem* ring : items) {
        if (ring->objectName() != QLatin1String("focusRing") || !ring->isVisible())
            continue;
        // Its left edge half way down: on the border, and just inside it,
        // where the window shows through (rows may touch the window's edge).
        const QPointF edge = ring->mapToScene(QPointF(1, ring->height() / 2)) * scale;
        const QPoint on = edge.toPoint();
        const QPoint within = on + QPoint(qRound(3 * scale), 0);
        if (!picture.rect().contains(on) || !picture.rect().contains(within))
            continue;
        return contrast(picture.pixel(on), picture.pixel(within));
    }
    return 0;
}

QStringList numberedStations(int count, int first)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << QStringLiteral("Station %1").arg(i);
    return names;
}

QVariant Window::get(const QString& name, const char* property) const
{
    QObject* found = view.rootObject()->findChild<QObject*>(name);
    found = found ? found : item(name);
    return found ? found->property(property) : QVariant();
}

QStringList Window::texts(std::initializer_list<const char*> names) const
{
    QStringList result;
    for (const char* name : names)
        result << text(name);
    return result;
}

void Window::drag(QPoint from, QPoint to, int steps) const
{
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    for (int step = 1; step <= steps; ++step)
        QTest::mouseMove(&view, from + (to - from) * step / steps);
}

} // namespace tunara::testing
