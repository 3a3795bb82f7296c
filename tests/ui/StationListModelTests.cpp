// The station list model: every change of the Store's list reaches views
// as the smallest row change (never a reset), the rows always match the
// Store, and the texts a view or a screen reader shows.

#include "StationListModel.h"
#include "UiFixture.h"
#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>

#include <functional>

namespace tunara::testing {
namespace {

// What the views were told, one line per notification.
class ChangeLog {
public:
    explicit ChangeLog(StationListModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model,
                         [this](const QModelIndex&, int first, int last) { add("insert", first, last); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model,
                         [this](const QModelIndex&, int first, int last) { add("remove", first, last); });
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, &model,
                         [this](const QModelIndex&, int first, int last, const QModelIndex&, int destination) {
                             lines << QStringLiteral("move %1-%2 before %3").arg(first).arg(last).arg(destination);
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [this] { lines << QStringLiteral("reset"); });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                         [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                             QStringList names;
                             for (const int role : roles)
                                 names << QString::fromLatin1(roleName(role));
                             names.sort();
                             lines << QStringLiteral("data %1-%2 %3").arg(from.row()).arg(to.row()).arg(names.join(u','));
                         });
    }

    QStringList lines;

private:
    void add(const char* what, int first, int last)
    {
        lines << QStringLiteral("%1 %2-%3").arg(QLatin1String(what)).arg(first).arg(last);
    }
    static const char* roleName(int role)
    {
        switch (role) {
        case Qt::DisplayRole: return "display";
        case StationListModel::NameRole: return "name";
        case StationListModel::UrlTextRole: return "url";
        case StationListModel::KeyHintRole: return "hint";
        case StationListModel::IsSelectedRole: return "selected";
        case StationListModel::AccessibleNameRole: return "accessible";
        default: return "?";
        }
    }
};

class StationListModelTest : public UiTest {
protected:
    StationListModel& model() { return *ui.app->viewModel().stations(); }
    QString column(int row, int role) { return model().data(model().index(row), role).toString(); }
    QStringList names()
    {
        QStringList result;
        for (int row = 0; row < model().rowCount(); ++row)
            result << column(row, StationListModel::NameRole);
        return result;
    }
    // The model's rows are the Store's stations, in order.
    void expectSameAsStore()
    {
        ASSERT_EQ(model().rowCount(), ui.store->streams().size());
        for (int row = 0; row < model().rowCount(); ++row) {
            EXPECT_EQ(column(row, StationListModel::StationIdRole),
                      ui.station(row).id.toString(QUuid::WithoutBraces)) << row;
            EXPECT_EQ(column(row, StationListModel::UrlTextRole), ui.station(row).urlText()) << row;
        }
    }
    QUuid id(int index) { return ui.station(index).id; }
};

QStringList lettered(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QString(QLatin1Char('A' + i));
    return names;
}

struct ChangeCase {
    const char* what;
    int stations;
    std::function<void(UiHarness&)> change;
    QStringList expectedLog;
    QStringList expectedNames;
};

TEST(StationListModel, EachChangeIsTheSmallestRowChange)
{
    const ChangeCase cases[] = {
        {"add at the end", 3,
         [](UiHarness& harness) { harness.store->addStream(QStringLiteral("D"), QStringLiteral("http://127.0.0.1/d")); },
         {"insert 3-3", "data 3-3 hint"}, {"A", "B", "C", "D"}},
        {"add beyond the ninth (no hint)", 10,
         [](UiHarness& harness) { harness.store->addStream(QStringLiteral("K"), QStringLiteral("http://127.0.0.1/k")); },
         {"insert 10-10"}, lettered(11)},
        {"delete in the middle", 4, [](UiHarness& harness) { harness.store->deleteStreams({harness.station(1).id}); },
         {"remove 1-1", "data 1-1 hint", "data 2-2 hint"}, {"A", "C", "D"}},
        {"move two apart to the end", 5, [](UiHarness& harness) { harness.store->moveStreams({0, 2}, 5); },
         {"move 0-0 before 5", "move 1-1 before 5", "data 0-0 hint", "data 1-1 hint", "data 2-2 hint",
          "data 3-3 hint", "data 4-4 hint"},
         {"B", "D", "E", "A", "C"}},
        {"move the first to the end", 4, [](UiHarness& harness) { harness.store->moveStreams({0}, 4); },
         {"move 0-0 before 4", "data 0-0 hint", "data 1-1 hint", "data 2-2 hint", "data 3-3 hint"},
         {"B", "C", "D", "A"}},
        {"move the last to the front", 12, [](UiHarness& harness) { harness.store->moveStreams({11}, 0); },
         {"move 11-11 before 0", "data 0-0 hint", "data 1-1 hint", "data 2-2 hint", "data 3-3 hint", "data 4-4 hint",
          "data 5-5 hint", "data 6-6 hint", "data 7-7 hint", "data 8-8 hint", "data 9-9 hint"},
         QStringList{"L"} + lettered(11)},
        {"swap two beyond the ninth", 12, [](UiHarness& harness) { harness.store->moveStreams({10}, 12); },
         {"move 11-11 before 10"}, lettered(10) + QStringList{"L", "K"}},
        {"rename", 3,
         [](UiHarness& harness) { harness.store->updateStream(harness.station(1).id, QStringLiteral("Bee"), harness.station(1).urlText()); },
         {"data 1-1 accessible,display,name,url"}, {"A", "Bee", "C"}},
        {"new URL", 3,
         [](UiHarness& harness) { harness.store->updateStream(harness.station(2).id, QStringLiteral("C"), QStringLiteral("http://127.0.0.1/c2")); },
         {"data 2-2 accessible,display,name,url"}, {"A", "B", "C"}},
        {"save unchanged", 3,
         [](UiHarness& harness) { harness.store->updateStream(harness.station(0).id, QStringLiteral("A"), harness.station(0).urlText()); },
         {}, {"A", "B", "C"}},
    };

    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        UiHarness ui;
        ui.setStations(lettered(c.stations));
        StationListModel& stations = *ui.app->viewModel().stations();
        QAbstractItemModelTester tester(&stations, QAbstractItemModelTester::FailureReportingMode::Warning);
        ChangeLog log(stations);
        c.change(ui);
        EXPECT_EQ(log.lines, c.expectedLog);
        QStringList shown;
        for (int row = 0; row < stations.rowCount(); ++row) {
            shown << stations.data(stations.index(row), StationListModel::NameRole).toString();
            EXPECT_EQ(stations.data(stations.index(row), StationListModel::StationIdRole).toString(),
                      ui.station(row).id.toString(QUuid::WithoutBraces));
            EXPECT_EQ(stations.data(stations.index(row), StationListModel::KeyHintRole).toString(),
                      row < 9 ? QStringLiteral("Ctrl+%1").arg(row + 1) : QString());
        }
        EXPECT_EQ(shown, c.expectedNames);
    }
}

TEST_F(StationListModelTest, AnyReorderingEndsInTheStoreOrderWithoutAReset)
{
    QAbstractItemModelTester tester(&model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    ui.setStations(lettered(20));
    ChangeLog log(model());
    QRandomGenerator random(13);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        const int count = static_cast<int>(ui.store->streams().size());
        switch (random.bounded(4)) {
        case 0: {
            QList<int> sources;
            for (int i = 0; i < count; ++i) {
                if (random.bounded(4) == 0)
                    sources << i;
            }
            ui.store->moveStreams(sources, random.bounded(count + 1));
            break;
        }
        case 1:
            if (count > 2)
                ui.store->deleteStreams({ui.station(random.bounded(count)).id, ui.station(random.bounded(count)).id});
            break;
        default:
            ui.store->addStream(QStringLiteral("N%1").arg(round), QStringLiteral("http://127.0.0.1/%1").arg(round));
        }
        expectSameAsStore();
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_FALSE(log.lines.contains(QStringLiteral("reset")));
}

TEST_F(StationListModelTest, SelectionAndStatusChangeOnlyTheRowsConcerned)
{
    ui.setStations({QStringLiteral("NTS 1"), QStringLiteral("NTS 2"), QStringLiteral("KCRW")});
    ChangeLog log(model());
    const auto accessible = [&](int row) { return column(row, StationListModel::AccessibleNameRole); };

    ui.store->playStream(id(1));
    ui.platform.clock.runPending();
    EXPECT_EQ(accessible(0), "NTS 1");
    EXPECT_EQ(accessible(1), "NTS 2, connecting");
    EXPECT_TRUE(model().data(model().index(1), StationListModel::IsSelectedRole).toBool());

    // Each status reads out after the selected station's name.
    const std::pair<PlayingStatus, const char*> statuses[] = {
        {PlayingStatus::playing, "NTS 2, playing"},     {PlayingStatus::buffering, "NTS 2, buffering"},
        {PlayingStatus::paused, "NTS 2, paused"},       {PlayingStatus::error, "NTS 2, connection failed"},
        {PlayingStatus::loading, "NTS 2, connecting"},
    };
    for (const auto& [status, expected] : statuses) {
        ui.store->didChangeStatus(status);
        EXPECT_EQ(accessible(1), expected);
    }
    ui.store->setSelectedStream(ui.station(2));
    EXPECT_EQ(accessible(1), "NTS 2");
    EXPECT_EQ(accessible(2), "KCRW, connecting");

    // Selecting touches the old and the new row; a status only the selected one.
    const QStringList expected = {
        "data 1-1 accessible,selected", // played: selected
        "data 1-1 accessible",          // loading (from paused)
        "data 1-1 accessible", "data 1-1 accessible", "data 1-1 accessible", "data 1-1 accessible",
        "data 1-1 accessible",          // the five statuses
        "data 1-1 accessible,selected", "data 2-2 accessible,selected",
    };
    EXPECT_EQ(log.lines, expected);
}

TEST_F(StationListModelTest, NamesAreShownCleanedAndLookedUpById)
{
    ui.setStations({QStringLiteral("  Radio\nOne\t\u0007 FM "), QStringLiteral("Two")});
    EXPECT_EQ(names(), (QStringList{"Radio One FM", "Two"}));
    EXPECT_EQ(column(0, Qt::DisplayRole), "Radio One FM");
    // The Store keeps the name as it was given (trimmed).
    EXPECT_EQ(ui.station(0).name, QStringLiteral("Radio\nOne\t\u0007 FM"));

    const QString second = id(1).toString(QUuid::WithoutBraces);
    EXPECT_EQ(model().indexOf(second), 1);
    EXPECT_EQ(model().idAt(1), second);
    EXPECT_EQ(model().indexOf(QStringLiteral("not an id")), -1);
    EXPECT_EQ(model().indexOf(QUuid::createUuid().toString()), -1);
    EXPECT_EQ(model().idAt(2), "");
    EXPECT_EQ(model().idAt(-1), "");
}

} // namespace
} // namespace tunara::testing
