#pragma once

#include "model/directory/StationDirectory.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace tunara {

class Store;

// "Find Logos": looks each station without a logo up in the community
// directory by its stream URL, one after another, and takes the favicon
// of a station listed under exactly that URL. What it found, or why it
// stopped, is told in one line.
class LogoFinder final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Provided by the application")
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)

public:
    explicit LogoFinder(Store& store, QObject* parent = nullptr);
    ~LogoFinder() override;

    bool running() const { return !waiting_.isEmpty(); }
    QString message() const { return message_; }
    Q_INVOKABLE void start();

signals:
    void runningChanged();
    void messageChanged();

private:
    void lookUpNext();
    void found(const QList<DirectoryStation>& stations);
    void finish(const QString& message);

    Store& store_;
    std::unique_ptr<StationDirectory> directory_; // made on first use
    QList<QUuid> waiting_; // the first is being looked up
    int logosFound_ = 0;
    QString message_;
};

} // namespace tunara
