#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <optional>

namespace tunara {

class Store;
class StationLogos;

// The add and edit sheet without its window: the two texts, the URL
// message, whether the form may be confirmed, and the save sequence with
// its rules (trim, validate, hand to the Store, say what went wrong and
// which field should take the keyboard). The sheet binds to it and calls
// save() for "Add"/"Save" and Return.
class StationEditorViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by StoreViewModel.makeEditor")
    Q_PROPERTY(bool isEditing READ isEditing CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString confirmTitle READ confirmTitle CONSTANT)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString url READ url WRITE setUrl NOTIFY urlChanged)
    Q_PROPERTY(QString urlError READ urlError NOTIFY urlErrorChanged)
    Q_PROPERTY(bool canConfirm READ canConfirm NOTIFY canConfirmChanged)
    Q_PROPERTY(QString initialField READ initialField CONSTANT)
    Q_PROPERTY(bool hasLogo READ hasLogo NOTIFY logoChanged)
    Q_PROPERTY(QString logoPicture READ logoPicture NOTIFY logoChanged)
    Q_PROPERTY(QString logoError READ logoError NOTIFY logoChanged)

public:
    // The fields by name, as focusRequested and initialField give them.
    static constexpr const char* nameField = "name";
    static constexpr const char* urlField = "url";

    // Adding when stationId is none, with presetURL (when not empty) as the
    // URL; editing the station with that id otherwise (empty fields when it
    // is gone).
    StationEditorViewModel(Store& store, std::optional<QUuid> stationId, const QString& presetURL,
                           StationLogos* logos = nullptr, QObject* parent = nullptr);

    bool isEditing() const { return stationId_.has_value(); }
    QString title() const;
    QString confirmTitle() const;
    QString name() const { return name_; }
    void setName(const QString& name);
    QString url() const { return url_; }
    // Every change of the URL text clears the message.
    void setUrl(const QString& url);
    QString urlError() const { return urlError_; }
    // Both texts have something besides white space.
    bool canConfirm() const;
    // The field the keyboard starts in: the first empty one; the name when
    // both are filled (editing).
    QString initialField() const;

    // Trims both texts, checks them and hands them to the Store. On success
    // emits saved with the station's id and returns true; otherwise sets
    // the message where there is one, asks for the field to fix, and
    // returns false. After a success it does nothing (a second click on
    // "Add" adds nothing).
    Q_INVOKABLE bool save();

    // The logo: one of the user's pictures ("Choose Image…", a file dialog
    // over window), or none ("Clear Image"); stored with the station on
    // save. A file that is no picture read here leaves the logo as it was
    // and says why.
    bool hasLogo() const { return !logo_.isEmpty(); }
    QString logoPicture() const;
    QString logoError() const { return logoError_; }
    Q_INVOKABLE void chooseLogo(QWindow* window);
    void useLogoFile(const QString& path);
    Q_INVOKABLE void clearLogo();

signals:
    void nameChanged();
    void urlChanged();
    void urlErrorChanged();
    void canConfirmChanged();
    void focusRequested(const QString& field);
    void saved(const QString& stationId);
    void logoChanged();

private:
    void setUrlError(const QString& message);
    void updateCanConfirm();
    void refuse(const char* field, const QString& message = {});

    Store& store_;
    std::optional<QUuid> stationId_;
    QString name_;
    QString url_;
    QString urlError_;
    bool canConfirm_ = false;
    bool saved_ = false;
    StationLogos* logos_;
    QUrl logo_;
    QUrl savedLogo_; // the station's logo as the sheet opened
    QString logoError_;
};

} // namespace tunara
