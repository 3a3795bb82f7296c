// A settings file as found on disk: the volume read is within 0 to 1, and
// a volume saved over the file is read back with every other member kept;
// the station to resume, when there is one, is an id, and reads back as it
// was saved.

#include "Fuzz.h"

#include "model/AppSettings.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace tunara;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray contents = fuzz::bytes(data, size);
    const QUrl file = QUrl::fromLocalFile(fuzz::fileWith(QStringLiteral("settings.json"), contents));
    const double volume = AppSettings::loadVolume(file);
    fuzz::check(volume >= 0 && volume <= 1);
    const AppSettings::Resume resume = AppSettings::loadResume(file);
    fuzz::check(!resume.lastStation || !resume.lastStation->isNull());
    fuzz::check(!AppSettings::saveVolume(file, 0.25) && AppSettings::loadVolume(file) == 0.25);
    QFile saved(file.toLocalFile());
    fuzz::check(saved.open(QIODevice::ReadOnly));
    const QJsonObject before = QJsonDocument::fromJson(contents).object();
    const QJsonObject after = QJsonDocument::fromJson(saved.readAll()).object();
    for (auto member = before.begin(); member != before.end(); ++member)
        fuzz::check(member.key() == "volume" || after.value(member.key()) == member.value());
    fuzz::check(!AppSettings::save(file, AppSettings::resumeMembers(resume)));
    const AppSettings::Resume again = AppSettings::loadResume(file);
    fuzz::check(again.enabled == resume.enabled && again.lastStation == resume.lastStation);
    return 0;
}
