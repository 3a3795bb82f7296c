#include "SettingsViewModel.h"

#include "Autostart.h"
#include "common/Diagnostics.h"
#include "common/DisplayText.h"
#include "model/Store.h"

#include <algorithm>

namespace tunara {

namespace {

std::optional<QUuid> parseId(const QString& stationId)
{
    const QUuid id = QUuid::fromString(stationId);
    return id.isNull() ? std::nullopt : std::optional(id);
}

QString idText(const std::optional<QUuid>& id)
{
    return id ? id->toString(QUuid::WithoutBraces) : QString();
}

} // namespace

SettingsViewModel::SettingsViewModel(Store& store, QObject* parent)
    : QObject(parent)
    , store_(store)
{
    // A station that goes is no longer selected, nor is a sheet open for it.
    connect(&store_, &Store::stationsChanged, this, [this] {
        if (selectedId_ && selectedRow() < 0) {
            selectedId_.reset();
            emit selectionChanged();
        }
    });
    connect(&store_, &Store::playsLastStationAtStartChanged, this, &SettingsViewModel::playsLastStationAtStartChanged);
    connect(&store_, &Store::desktopOptionsChanged, this, &SettingsViewModel::desktopOptionsChanged);
}

bool SettingsViewModel::startsAtLogin() const
{
    return Autostart::isEnabled();
}

void SettingsViewModel::setStartsAtLogin(bool starts)
{
    if (const auto failure = Autostart::setEnabled(starts))
        writeDiagnosticLine(QStringLiteral("Failed to change the start at login: ") + *failure);
    emit startsAtLoginChanged();
}

bool SettingsViewModel::playsLastStationAtStart() const
{
    return store_.playsLastStationAtStart();
}

void SettingsViewModel::setPlaysLastStationAtStart(bool plays)
{
    store_.setPlaysLastStationAtStart(plays);
}

bool SettingsViewModel::option(bool AppSettings::DesktopOptions::*option) const
{
    return store_.desktopOptions().*option;
}

void SettingsViewModel::setOption(bool AppSettings::DesktopOptions::*option, bool value)
{
    AppSettings::DesktopOptions options = store_.desktopOptions();
    options.*option = value;
    store_.setDesktopOptions(options);
}

QString SettingsViewModel::selection() const
{
    return idText(selectedId_);
}

int SettingsViewModel::selectedRow() const
{
    return selectedId_ ? store_.stationList().rowOf(*selectedId_) : -1;
}

int SettingsViewModel::count() const
{
    return int(store_.stationList().size());
}

void SettingsViewModel::select(const QString& stationId)
{
    const std::optional<QUuid> id = parseId(stationId);
    if (id == selectedId_)
        return;
    selectedId_ = id;
    emit selectionChanged();
    if (const int row = selectedRow(); row >= 0)
        emit revealRequested(row);
}

void SettingsViewModel::selectRow(int row)
{
    if (row >= 0 && row < count())
        selectAt(row);
}

void SettingsViewModel::selectAt(int row)
{
    const QUuid id = store_.stationList().at(row).id;
    if (id != selectedId_) {
        selectedId_ = id;
        emit selectionChanged();
    }
    emit revealRequested(row);
}

void SettingsViewModel::moveSelection(int step)
{
    if (count() == 0)
        return;
    // From the selected row, or from an end.
    const int current = selectedRow();
    const int next = current < 0 ? (step > 0 ? 0 : count() - 1) : current + step;
    selectAt(std::clamp(next, 0, count() - 1));
}

void SettingsViewModel::moveSelectedStation(int step)
{
    const int from = selectedRow();
    if (from >= 0)
        moveRow(from, step < 0 ? from - 1 : from + 2);
}

void SettingsViewModel::moveRow(int from, int destination)
{
    // Onto itself, or just after itself, it stays where it is.
    if (from < 0 || from >= count() || destination < 0 || destination > count() || destination == from
        || destination == from + 1)
        return;
    store_.moveStations({from}, destination);
    selectAt(destination > from ? destination - 1 : destination);
}

bool SettingsViewModel::pressKey(int key, int modifiers, int rowsPerPage)
{
    const bool alt = modifiers & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt)
            moveSelectedStation(key == Qt::Key_Up ? -1 : 1);
        else
            moveSelection(key == Qt::Key_Up ? -1 : 1);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        moveSelection((key == Qt::Key_PageUp ? -1 : 1) * std::max(1, rowsPerPage));
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        selectRow(key == Qt::Key_Home ? 0 : count() - 1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!hasSelection())
            return false;
        edit(selection());
        return true;
    case Qt::Key_Delete:
        if (!hasSelection())
            return false;
        askToDelete(selection());
        return true;
    case Qt::Key_F10:
        if (!(modifiers & Qt::ShiftModifier))
            return false;
        [[fallthrough]];
    case Qt::Key_Menu:
        emit menuRequested(selection());
        return true;
    default:
        return false;
    }
}

QString SettingsViewModel::sheetStation() const
{
    return idText(sheetStation_);
}

QString SettingsViewModel::deleteMessage() const
{
    const Station* station = sheetStation_ ? store_.stationList().find(*sheetStation_) : nullptr;
    if (sheet_ != Sheet::ConfirmingDelete || !station)
        return {};
    return tr("Are you sure you want to delete \"%1\"?").arg(cleanDisplayText(station->name));
}

void SettingsViewModel::open(Sheet sheet, std::optional<QUuid> station, const QString& presetURL)
{
    // One sheet at a time: a request while one is open is dropped, so it
    // cannot open later by surprise.
    if (sheet_ != Sheet::None)
        return;
    sheet_ = sheet;
    sheetStation_ = station;
    presetURL_ = presetURL;
    emit sheetChanged();
}

void SettingsViewModel::add()
{
    open(Sheet::Adding, std::nullopt);
}

void SettingsViewModel::addPasted(const QString& urlText)
{
    if (!urlText.isEmpty())
        open(Sheet::Adding, std::nullopt, urlText);
}

void SettingsViewModel::edit(const QString& stationId)
{
    const std::optional<QUuid> id = parseId(stationId);
    if (!id || !store_.stationList().find(*id))
        return;
    select(stationId);
    open(Sheet::Editing, id);
}

void SettingsViewModel::askToDelete(const QString& stationId)
{
    const std::optional<QUuid> id = parseId(stationId);
    if (!id || !store_.stationList().find(*id))
        return;
    select(stationId);
    open(Sheet::ConfirmingDelete, id);
}

void SettingsViewModel::confirmDeletion()
{
    if (sheet_ == Sheet::ConfirmingDelete && sheetStation_) {
        // The keyboard stays on a row: the one that takes the deleted
        // station's place, or the new last one.
        const int row = int(store_.stationList().rowOf(*sheetStation_));
        const bool wasSelected = sheetStation_ == selectedId_;
        store_.deleteStations({*sheetStation_});
        if (wasSelected && row >= 0 && count() > 0)
            selectAt(std::min(row, count() - 1));
    }
    sheetClosed();
}

void SettingsViewModel::sheetClosed(const QString& savedStationId)
{
    if (sheet_ == Sheet::None)
        return;
    sheet_ = Sheet::None;
    sheetStation_.reset();
    presetURL_.clear();
    emit sheetChanged();
    if (!savedStationId.isEmpty())
        select(savedStationId);
    if (const int row = selectedRow(); row >= 0)
        emit revealRequested(row);
}

void SettingsViewModel::startDrag(int row)
{
    dragFrom_ = row;
    dropIndex_ = -1;
    emit dragChanged();
}

void SettingsViewModel::dragOver(int row, bool lowerHalf)
{
    if (dragFrom_ < 0)
        return;
    const int index = row < 0 ? 0 : row >= count() ? count() : (lowerHalf ? row + 1 : row);
    if (index == dropIndex_)
        return;
    dropIndex_ = index;
    emit dragChanged();
}

void SettingsViewModel::drop()
{
    const int from = dragFrom_;
    const int to = dropIndex_;
    cancelDrag();
    if (from >= 0 && to >= 0)
        moveRow(from, to);
}

void SettingsViewModel::cancelDrag()
{
    if (dragFrom_ < 0 && dropIndex_ < 0)
        return;
    dragFrom_ = -1;
    dropIndex_ = -1;
    emit dragChanged();
}

} // namespace tunara
