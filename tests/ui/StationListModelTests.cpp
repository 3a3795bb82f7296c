// The station list model: every change of the Store's list reaches views
// as the smallest row change (never a reset), the rows always match the
// Store, and the texts a view or a screen reader shows.

#include "StationListModel.h"
#include "UiFixture.h"

#include <QAbstractItemModelTester>

#include <functional>

namespace tunara::testing {
namespace {

// What the views were told, one line per notification.
class ChangeLog {
public:
    explicit ChangeLog(StationListModel& model)
    {
        const auto rows = [this](const char* what) {
            return [this, what](const QModelIndex&, int first, int last) {
                lines << QStringLiteral("%1 %2-%3").arg(what).arg(first).arg(last);
            };
        };
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, rows("insert"));
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model, rows("remove"));
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, &model,
                         [this](const QModelIndex&, int first, int last, const QModelIndex&, int destination) {
                             lines << QStringLiteral("move %1-%2 before %3").arg(first).arg(last).arg(destination);
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [this] { lines << "reset"; });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                         [this, &model](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                             QStringList names;
                             for (const int role : roles)
                                 names << model.roleNames().value(role, "display");
                             names.sort();
                             lines << QStringLiteral("data %1-%2 %3").arg(from.row()).arg(to.row()).arg(names.join(','));
                         });
    }

    QStringList lines;
};

QString cell(UiHarness& ui, int row, int role)
{
    StationListModel& model = *ui.app->viewModel().stations();
    return model.data(model.index(row, 0), role).toString();
}

// The model's rows are the Store's stations, in order, with the first nine's key hints.
void expectSameAsStore(UiHarness& ui)
{
    ASSERT_EQ(ui.app->viewModel().stations()->rowCount(), ui.store->stations().size());
    for (int row = 0; row < ui.store->stations().size(); ++row) {
        EXPECT_EQ(cell(ui, row, StationListModel::StationIdRole), ui.id(row)) << row;
        EXPECT_EQ(cell(ui, row, StationListModel::UrlTextRole), ui.station(row).urlText()) << row;
        EXPECT_EQ(cell(ui, row, StationListModel::KeyHintRole), row < 9 ? QStringLiteral("Ctrl+%1").arg(row + 1) : "");
    }
}

QStringList lettered(int count)
{
    return QStringLiteral("ABCDEFGHIJKL").left(count).split(QString(), Qt::SkipEmptyParts);
}

// The key hints of rows first to last changed, one line each.
QStringList hintsChanged(int first, int last)
{
    QStringList lines;
    for (int row = first; row <= last; ++row)
        lines << QStringLiteral("data %1-%1 keyHint").arg(row);
    return lines;
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
        {"add at the end", 3, [](UiHarness& ui) { ui.store->addStation("D", "http://127.0.0.1/d"); },
         QStringList{"insert 3-3"} + hintsChanged(3, 3), {"A", "B", "C", "D"}},
        {"add beyond the ninth (no hint)", 10, [](UiHarness& ui) { ui.store->addStation("K", "http://127.0.0.1/k"); },
         {"insert 10-10"}, lettered(11)},
        {"delete in the middle", 4, [](UiHarness& ui) { ui.store->deleteStations({ui.station(1).id}); },
         QStringList{"remove 1-1"} + hintsChanged(1, 2), {"A", "C", "D"}},
        {"move two apart to the end", 5, [](UiHarness& ui) { ui.store->moveStations({0, 2}, 5); },
         QStringList{"move 0-0 before 5", "move 1-1 before 5"} + hintsChanged(0, 4), {"B", "D", "E", "A", "C"}},
        {"move the first to the end", 4, [](UiHarness& ui) { ui.store->moveStations({0}, 4); },
         QStringList{"move 0-0 before 4"} + hintsChanged(0, 3), {"B", "C", "D", "A"}},
        {"move the last to the front", 12, [](UiHarness& ui) { ui.store->moveStations({11}, 0); },
         QStringList{"move 11-11 before 0"} + hintsChanged(0, 9), QStringList{"L"} + lettered(11)},
        {"swap two beyond the ninth", 12, [](UiHarness& ui) { ui.store->moveStations({10}, 12); },
         {"move 10-10 before 12"}, lettered(10) + QStringList{"L", "K"}},
        {"rename", 3, [](UiHarness& ui) { ui.store->updateStation(ui.station(1).id, "Bee", ui.station(1).urlText()); },
         {"data 1-1 display,name", "data 1-1 accessibleName"}, {"A", "Bee", "C"}},
        {"new URL", 3, [](UiHarness& ui) { ui.store->updateStation(ui.station(2).id, "C", "http://127.0.0.1/köln"); },
         {"data 2-2 urlText", "data 2-2 urlDisplay"}, {"A", "B", "C"}},
        {"save unchanged", 3, [](UiHarness& ui) { ui.store->updateStation(ui.station(0).id, "A", ui.station(0).urlText()); },
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
        EXPECT_EQ(ui.names(), c.expectedNames);
        expectSameAsStore(ui);
    }
    // A URL is shown as read: letters, not the stored percent codes.
    UiHarness ui;
    ui.setStations({"A"});
    ui.store->updateStation(ui.station(0).id, "A", "http://127.0.0.1/k%C3%B6ln");
    EXPECT_EQ(cell(ui, 0, StationListModel::UrlDisplayRole), "http://127.0.0.1/köln");
}

TEST_F(UiTest, SelectionAndStatusChangeOnlyTheStationRowsConcerned)
{
    ui.setStations({"NTS 1", "NTS 2", "KCRW"});
    StationListModel& model = *ui.app->viewModel().stations();
    ChangeLog log(model);
    const auto report = [this](SessionEvent event) { return [this, event] { ui.platform.backend.session().report(event); }; };
    // What a screen reader says for the rows after each step: the status
    // after the selected station's name.
    const std::pair<std::function<void()>, QStringList> steps[] = {
        {[this] { ui.store->playStation(ui.station(1).id); ui.platform.clock.runPending(); }, {"NTS 1", "NTS 2, connecting", "KCRW"}},
        {report(SessionState::playing), {"NTS 1", "NTS 2, playing", "KCRW"}},
        {report(SessionState::buffering), {"NTS 1", "NTS 2, buffering", "KCRW"}},
        {report(PlaybackFailure::because(FailureReason::notFound)), {"NTS 1", "NTS 2, connection failed", "KCRW"}},
        {[this] { ui.store->player().pause(); }, {"NTS 1", "NTS 2, paused", "KCRW"}},
        {[this] { ui.store->player().play(ui.station(1).url, "NTS 2", true); }, {"NTS 1", "NTS 2, connecting", "KCRW"}},
        {[this] { ui.store->setSelectedStation(ui.station(2)); }, {"NTS 1", "NTS 2", "KCRW, connecting"}},
    };
    for (const auto& [step, spoken] : steps) {
        step();
        QStringList names;
        for (int row = 0; row < 3; ++row)
            names << cell(ui, row, StationListModel::AccessibleNameRole);
        EXPECT_EQ(names, spoken);
    }
    EXPECT_TRUE(model.data(model.index(2, 0), StationListModel::IsSelectedRole).toBool());

    // Selecting touches the old and the new row; a status only the selected
    // one: played (selected), loading from paused, the five statuses, the
    // selection moved.
    QStringList expected = {"data 1-1 accessibleName,isSelected,showsSpeaker"};
    for (int i = 0; i < 6; ++i)
        expected << "data 1-1 accessibleName,showsSpeaker";
    expected << "data 1-1 accessibleName,isSelected,showsSpeaker" << "data 2-2 accessibleName,isSelected,showsSpeaker";
    EXPECT_EQ(log.lines, expected);
}

TEST_F(UiTest, StationNamesAreShownCleanedAndRowsLookedUpById)
{
    ui.setStations({"  Radio\nOne\t\u0007 FM ", "Two"});
    StationListModel& model = *ui.app->viewModel().stations();
    EXPECT_EQ(cell(ui, 0, StationListModel::NameRole), "Radio One FM");
    EXPECT_EQ(cell(ui, 0, Qt::DisplayRole), "Radio One FM");
    // The Store keeps the name as it was given (trimmed).
    EXPECT_EQ(ui.station(0).name, "Radio\nOne\t\u0007 FM");
    EXPECT_EQ(model.indexOf(ui.id(1)), 1);
    EXPECT_EQ(model.idAt(1), ui.id(1));
    for (const QString& unknown : {QString("not an id"), QUuid::createUuid().toString()})
        EXPECT_EQ(model.indexOf(unknown), -1) << unknown.toStdString();
    EXPECT_EQ(model.idAt(2), "");
    EXPECT_EQ(model.idAt(-1), "");
}

} // namespace
} // namespace tunara::testing
