#include "StationEditorViewModel.h"

#include "model/Store.h"
#include "model/URLValidation.h"

namespace tunara {

StationEditorViewModel::StationEditorViewModel(Store& store, std::optional<QUuid> stationId,
                                               const QString& presetURL, QObject* parent)
    : QObject(parent)
    , store_(store)
    , stationId_(stationId)
{
    if (stationId_) {
        for (const Station& station : store_.stations()) {
            if (station.id == *stationId_) {
                name_ = station.name;
                url_ = station.urlText();
                break;
            }
        }
    } else {
        url_ = presetURL;
    }
    canConfirm_ = canConfirm();
}

QString StationEditorViewModel::title() const
{
    return isEditing() ? tr("Edit stream") : tr("Add a stream");
}

QString StationEditorViewModel::confirmTitle() const
{
    return isEditing() ? tr("Save") : tr("Add");
}

bool StationEditorViewModel::canConfirm() const
{
    return !name_.trimmed().isEmpty() && !url_.trimmed().isEmpty();
}

QString StationEditorViewModel::initialField() const
{
    return QString::fromLatin1(!name_.isEmpty() && url_.isEmpty() ? urlField : nameField);
}

void StationEditorViewModel::setName(const QString& name)
{
    if (name == name_)
        return;
    name_ = name;
    emit nameChanged();
    updateCanConfirm();
}

void StationEditorViewModel::setUrl(const QString& url)
{
    if (url == url_)
        return;
    url_ = url;
    emit urlChanged();
    setUrlError({});
    updateCanConfirm();
}

void StationEditorViewModel::updateCanConfirm()
{
    if (canConfirm() != canConfirm_) {
        canConfirm_ = !canConfirm_;
        emit canConfirmChanged();
    }
}

void StationEditorViewModel::setUrlError(const QString& message)
{
    if (message == urlError_)
        return;
    urlError_ = message;
    emit urlErrorChanged();
}

void StationEditorViewModel::refuse(const char* field, const QString& message)
{
    if (!message.isEmpty())
        setUrlError(message);
    emit focusRequested(QString::fromLatin1(field));
}

bool StationEditorViewModel::save()
{
    if (saved_)
        return false;
    const QString name = name_.trimmed();
    const QString url = url_.trimmed();
    if (name.isEmpty()) {
        refuse(nameField);
        return false;
    }
    if (url.isEmpty()) {
        refuse(urlField);
        return false;
    }
    if (const auto error = validateStreamURL(url)) {
        refuse(urlField, rawValue(*error));
        return false;
    }
    std::optional<QUuid> savedId;
    if (stationId_) {
        if (store_.updateStation(*stationId_, name, url))
            savedId = stationId_;
    } else {
        savedId = store_.addStation(name, url);
    }
    if (!savedId) {
        refuse(urlField, rawValue(URLValidationError::invalidFormat));
        return false;
    }
    saved_ = true;
    emit saved(savedId->toString(QUuid::WithoutBraces));
    return true;
}

} // namespace tunara
