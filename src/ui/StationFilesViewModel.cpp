#include "StationFilesViewModel.h"

#include "StoreViewModel.h"
#include "model/StationListFile.h"
#include "model/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>

namespace tunara {

namespace {

QString quoted(const QString& path)
{
    return QStringLiteral("\u201C%1\u201D").arg(QFileInfo(path).fileName());
}

QString stationCount(qsizetype count)
{
    return count == 1 ? StationFilesViewModel::tr("1 station")
                      : StationFilesViewModel::tr("%n stations", nullptr, int(count));
}

QString problemMessage(StationFileProblem problem, const QString& path)
{
    switch (problem) {
    case StationFileProblem::unreadable: return StationFilesViewModel::tr("Can't read %1").arg(quoted(path));
    case StationFileProblem::tooLarge: return StationFilesViewModel::tr("%1 is too large for a station list").arg(quoted(path));
    case StationFileProblem::noStations: return StationFilesViewModel::tr("No stations found in %1").arg(quoted(path));
    }
    return {};
}

} // namespace

StationFilesViewModel::~StationFilesViewModel()
{
    delete dialog_;
}

QString StationFilesViewModel::startFolder()
{
    // Named by the desktop even where it was never made.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QFileDialog* StationFilesViewModel::makeDialog(QWindow* window, const QString& title)
{
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return nullptr;
    }
    dialog_ = new QFileDialog(nullptr, title);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setDirectory(startFolder());
    // Kept above its window, which a widget parent would otherwise do.
    dialog_->winId();
    if (window)
        dialog_->windowHandle()->setTransientParent(window);
    return dialog_;
}

void StationFilesViewModel::chooseFilesToImport(QWindow* window)
{
    QFileDialog* dialog = makeDialog(window, tr("Import Stations"));
    if (!dialog)
        return;
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters(
        {tr("Station lists (*.m3u *.m3u8 *.pls *.xspf)"), tr("All files (*)")});
    dialog->setLabelText(QFileDialog::Accept, tr("Import"));
    connect(dialog, &QDialog::accepted, this, [this, dialog] { importFiles(dialog->selectedUrls()); });
    dialog->open();
}

void StationFilesViewModel::chooseExportFile(QWindow* window)
{
    QFileDialog* dialog = makeDialog(window, tr("Export Stations"));
    if (!dialog)
        return;
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(tr("Extended M3U (*.m3u8)"));
    dialog->setDefaultSuffix(QStringLiteral("m3u8"));
    dialog->selectFile(tr("Tunara Stations.m3u8"));
    dialog->setLabelText(QFileDialog::Accept, tr("Export"));
    connect(dialog, &QDialog::accepted, this, [this, dialog] { exportTo(dialog->selectedUrls().value(0)); });
    dialog->open();
}

void StationFilesViewModel::importFiles(const QList<QUrl>& files)
{
    if (!store_ || files.isEmpty())
        return;
    // Read on a worker: a large file, or one on a slow disk, would hold up
    // the window. The contents come back as values to the main thread.
    QPointer<StationFilesViewModel> self(this);
    QThreadPool::globalInstance()->start([self, files] {
        QList<ReadFile> read;
        for (const QUrl& file : files)
            read.append({file.isLocalFile() ? file.toLocalFile() : file.toString(), readStationFile(file.toLocalFile())});
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [self, read] {
                if (self)
                    self->addStations(read);
            },
            Qt::QueuedConnection);
    });
}

void StationFilesViewModel::addStations(const QList<ReadFile>& files)
{
    QList<std::pair<QString, QString>> stations;
    std::optional<QString> firstProblem;
    bool truncated = false;
    for (const auto& [path, contents] : files) {
        if (contents.problem && !firstProblem)
            firstProblem = problemMessage(*contents.problem, path);
        truncated = truncated || contents.truncated;
        for (const ListedStation& station : contents.stations)
            stations.append({station.name, station.url.toString(QUrl::FullyEncoded)});
    }
    if (!store_)
        return;
    const qsizetype added = store_->store().addStations(stations).size();
    if (added > 0 && truncated)
        emit reported(tr("Added %1, the first %2 of the file")
                          .arg(stationCount(added), QString::number(maxStationsPerFile)));
    else if (added > 0)
        emit reported(tr("Added %1").arg(stationCount(added)));
    else if (!stations.isEmpty())
        emit reported(tr("No new stations: all are in your list already"));
    else
        emit reported(firstProblem.value_or(QString()));
}

void StationFilesViewModel::exportTo(const QUrl& file)
{
    if (!store_)
        return;
    const QString path = file.toLocalFile();
    const QList<Station>& stations = store_->store().stations();
    if (const auto error = writeStationFile(path, stations))
        emit reported(tr("Can't write %1: %2").arg(quoted(path), *error));
    else
        emit reported(tr("Exported %1 to %2").arg(stationCount(stations.size()), quoted(path)));
}

} // namespace tunara
