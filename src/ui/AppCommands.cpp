#include "AppCommands.h"

#include "KeyHints.h"
#include "PastedURL.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tunara {

QString AppCommands::settingsHint() const
{
    return KeyHints::nativeText(KeyHints::settingsSequence());
}

QString AppCommands::quitHint() const
{
    return KeyHints::nativeText(KeyHints::quitSequence());
}

QString AppCommands::pastedStreamURL() const
{
    return streamURLFromMimeData(QGuiApplication::clipboard()->mimeData()).value_or(QString());
}

} // namespace tunara
