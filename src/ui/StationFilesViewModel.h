#pragma once

#include "StoreViewModel.h"
#include "model/StationListFile.h"

#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

namespace tunara {

// Import and export of the station list as playlist files, for the
// Settings window: files chosen in the desktop's file dialog or dropped on
// the list. Each action ends in one line for the user, sent with reported().
class StationFilesViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(tunara::StoreViewModel* store MEMBER store_ REQUIRED)

public:
    using QObject::QObject;
    ~StationFilesViewModel() override;

    // The file dialogs, modal to the window; one at a time.
    Q_INVOKABLE void chooseFilesToImport(QWindow* window);
    Q_INVOKABLE void chooseExportFile(QWindow* window);
    // Adds the http and https stations of the files that are not in the
    // list yet, with one save, once the files have been read.
    Q_INVOKABLE void importFiles(const QList<QUrl>& files);
    Q_INVOKABLE void exportTo(const QUrl& file);

    // The dialog open now, if any.
    QFileDialog* dialog() const { return dialog_; }

    // Where the dialogs open: the user's documents folder, else the home folder.
    static QString startFolder();

signals:
    void reported(const QString& message);

private:
    struct ReadFile {
        QString path;
        StationFileContents contents;
    };

    QFileDialog* makeDialog(QWindow* window, const QString& title);
    void addStations(const QList<ReadFile>& files);

    StoreViewModel* store_ = nullptr; // lives as long as the program
    QPointer<QFileDialog> dialog_;
};

} // namespace tunara
