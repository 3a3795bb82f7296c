#include "StationEditorViewModel.h"

#include "model/Store.h"
#include "model/URLValidation.h"
#include "model/logos/StationLogos.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace tunara {

namespace {

// A copy the program made of a picture the user chose.
bool isPickedPicture(const QUrl& logo)
{
    return logo.isLocalFile()
           && QFileInfo(logo.toLocalFile()).absolutePath() == QDir(StationLogos::pickedDirectory()).absolutePath();
}

} // namespace

StationEditorViewModel::StationEditorViewModel(Store& store, std::optional<QUuid> stationId,
                                               const QString& presetURL, StationLogos* logos, QObject* parent)
    : QObject(parent)
    , store_(store)
    , stationId_(stationId)
    , logos_(logos)
{
    if (stationId_) {
        for (const Station& station : store_.stations()) {
            if (station.id == *stationId_) {
                name_ = station.name;
                url_ = station.urlText();
                logo_ = savedLogo_ = station.logo;
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
    store_.setStationLogo(*savedId, logo_);
    // A picture of the user's that no longer serves goes with it.
    if (savedLogo_ != logo_ && isPickedPicture(savedLogo_))
        QFile::remove(savedLogo_.toLocalFile());
    saved_ = true;
    emit saved(savedId->toString(QUuid::WithoutBraces));
    return true;
}

QString StationEditorViewModel::logoPicture() const
{
    return logos_ ? logos_->file(logo_).toString() : QString();
}

void StationEditorViewModel::chooseLogo(QWindow* window)
{
    auto* dialog = new QFileDialog(nullptr, tr("Choose Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters({tr("Images (*.png *.jpg *.jpeg *.ico *.webp)"), tr("All files (*)")});
    dialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    dialog->winId();
    if (window)
        dialog->windowHandle()->setTransientParent(window);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { useLogoFile(dialog->selectedFiles().value(0)); });
    dialog->open();
}

void StationEditorViewModel::useLogoFile(const QString& path)
{
    if (!logos_ || path.isEmpty())
        return;
    const auto adopted = logos_->adopt(path, StationLogos::pickedDirectory(), stationId_.value_or(QUuid::createUuid()));
    if (const QUrl* logo = std::get_if<QUrl>(&adopted)) {
        // A copy chosen before in this sheet and not kept goes.
        if (logo_ != savedLogo_ && isPickedPicture(logo_))
            QFile::remove(logo_.toLocalFile());
        logo_ = *logo;
        logoError_.clear();
    } else {
        logoError_ = std::get<QString>(adopted);
    }
    emit logoChanged();
}

void StationEditorViewModel::clearLogo()
{
    logo_.clear();
    logoError_.clear();
    emit logoChanged();
}

} // namespace tunara
