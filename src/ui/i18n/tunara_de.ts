<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Failure</name>
    <message>
        <source>The station&apos;s address is not a valid web address.</source>
        <translation>Die Adresse des Senders ist keine gültige Webadresse.</translation>
    </message>
    <message>
        <source>The stream leads to an address that is not http or https.</source>
        <translation>Der Stream führt zu einer Adresse, die weder http noch https verwendet.</translation>
    </message>
    <message>
        <source>The station&apos;s server could not be found.</source>
        <translation>Der Server des Senders wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not a stream.</source>
        <translation>Die Antwort des Servers ist kein Stream.</translation>
    </message>
    <message>
        <source>The server asks for a login.</source>
        <translation>Der Server verlangt eine Anmeldung.</translation>
    </message>
    <message>
        <source>The server has no stream at this address.</source>
        <translation>Der Server hat unter dieser Adresse keinen Stream.</translation>
    </message>
    <message>
        <source>The server refuses to send the stream.</source>
        <translation>Der Server verweigert die Übertragung des Streams.</translation>
    </message>
    <message>
        <source>A secure connection to the server could not be made.</source>
        <translation>Es konnte keine sichere Verbindung zum Server hergestellt werden.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has expired.</source>
        <translation>Das Zertifikat des Servers ist abgelaufen.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not valid yet.</source>
        <translation>Das Zertifikat des Servers ist noch nicht gültig.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is signed by an unknown authority.</source>
        <translation>Das Zertifikat des Servers wurde von einer unbekannten Zertifizierungsstelle signiert.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate belongs to another site.</source>
        <translation>Das Zertifikat des Servers gehört zu einer anderen Website.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has been revoked.</source>
        <translation>Das Zertifikat des Servers wurde widerrufen.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate uses insecure cryptography.</source>
        <translation>Das Zertifikat des Servers verwendet unsichere Kryptografie.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted.</source>
        <translation>Das Zertifikat des Servers ist nicht vertrauenswürdig.</translation>
    </message>
    <message>
        <source>The stream is not in a format that can be played.</source>
        <translation>Der Stream liegt in keinem abspielbaren Format vor.</translation>
    </message>
    <message>
        <source>The stream or its playlist could not be read.</source>
        <translation>Der Stream oder seine Wiedergabeliste konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>No decoder is available for the stream&apos;s format.</source>
        <translation>Für das Format des Streams ist kein Decoder verfügbar.</translation>
    </message>
    <message>
        <source>This build of Tunara cannot play streams.</source>
        <translation>Diese Version von Tunara kann keine Streams abspielen.</translation>
    </message>
    <message>
        <source>The server refused the connection.</source>
        <translation>Der Server hat die Verbindung abgelehnt.</translation>
    </message>
    <message>
        <source>The connection to the server was lost.</source>
        <translation>Die Verbindung zum Server wurde unterbrochen.</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>Der Server hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>The network cannot be reached.</source>
        <translation>Das Netzwerk ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>The server is unavailable for the moment.</source>
        <translation>Der Server ist im Moment nicht verfügbar.</translation>
    </message>
    <message>
        <source>Playback failed.</source>
        <translation>Die Wiedergabe ist fehlgeschlagen.</translation>
    </message>
</context>
<context>
    <name>FindStationsView</name>
    <message>
        <source>Find Stations</source>
        <translation>Sender suchen</translation>
    </message>
    <message>
        <source>A tag, such as jazz</source>
        <translation>Ein Schlagwort, z. B. jazz</translation>
    </message>
    <message>
        <source>A station&apos;s name</source>
        <translation>Name eines Senders</translation>
    </message>
    <message>
        <source>Search the station directory</source>
        <translation>Senderverzeichnis durchsuchen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Search by name</source>
        <translation>Nach Name suchen</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Schlagwort</translation>
    </message>
    <message>
        <source>Search by tag</source>
        <translation>Nach Schlagwort suchen</translation>
    </message>
    <message>
        <source>Scroll the stations found</source>
        <translation>Durch die gefundenen Sender scrollen</translation>
    </message>
    <message>
        <source>Stations found</source>
        <translation>Gefundene Sender</translation>
    </message>
    <message>
        <source>In your list</source>
        <translation>In Ihrer Liste</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>%1 hinzufügen</translation>
    </message>
    <message>
        <source>Stations from the Radio Browser community directory</source>
        <translation>Sender aus dem Community-Verzeichnis Radio Browser</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>NowPlayingHeader</name>
    <message>
        <source>Select a stream</source>
        <translation>Sender auswählen</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>LTR</translation>
    </message>
</context>
<context>
    <name>RecentlyPlayedView</name>
    <message>
        <source>Recently Played</source>
        <translation>Zuletzt gespielt</translation>
    </message>
    <message>
        <source>No tracks played yet</source>
        <translation>Noch keine Titel gespielt</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Search the Web</source>
        <translation>Im Web suchen</translation>
    </message>
    <message>
        <source>Clear History…</source>
        <translation>Verlauf löschen…</translation>
    </message>
    <message>
        <source>Clear History</source>
        <translation>Verlauf löschen</translation>
    </message>
    <message>
        <source>Every track played is removed from the list.</source>
        <translation>Alle gespielten Titel werden aus der Liste entfernt.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Scroll the stations</source>
        <translation>Durch die Sender scrollen</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Add station</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Delete station</source>
        <translation>Sender löschen</translation>
    </message>
    <message>
        <source>Select a station first</source>
        <translation>Wählen Sie zuerst einen Sender aus</translation>
    </message>
    <message>
        <source>Find Stations</source>
        <translation>Sender suchen</translation>
    </message>
    <message>
        <source>Import or Export Stations</source>
        <translation>Sender importieren oder exportieren</translation>
    </message>
    <message>
        <source>Import or export stations</source>
        <translation>Sender importieren oder exportieren</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>Bearbeiten …</translation>
    </message>
    <message>
        <source>Edit station</source>
        <translation>Sender bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Import Stations…</source>
        <translation>Sender importieren …</translation>
    </message>
    <message>
        <source>Export Stations…</source>
        <translation>Sender exportieren …</translation>
    </message>
    <message>
        <source>Start Tunara at login</source>
        <translation>Tunara bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Play the last station at start</source>
        <translation>Beim Start den zuletzt gehörten Sender abspielen</translation>
    </message>
    <message>
        <source>Delete Stream</source>
        <translation>Sender löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Notify new tracks</source>
        <translation>Neue Titel melden</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Computer während der Wiedergabe wach halten</translation>
    </message>
    <message>
        <source>Keep a history of played tracks</source>
        <translation>Verlauf der gespielten Titel führen</translation>
    </message>
    <message>
        <source>Find Logos</source>
        <translation>Logos suchen</translation>
    </message>
</context>
<context>
    <name>SleepTimerSheet</name>
    <message>
        <source>Sleep Timer</source>
        <translation>Einschlaf-Timer</translation>
    </message>
    <message>
        <source>Stop playing after</source>
        <translation>Wiedergabe beenden nach</translation>
    </message>
    <message>
        <source>Turn Off</source>
        <translation>Ausschalten</translation>
    </message>
    <message numerus="yes">
        <source>%n min</source>
        <translation>
            <numerusform>%n Min.</numerusform>
            <numerusform>%n Min.</numerusform>
        </translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
</context>
<context>
    <name>StationDirectory</name>
    <message>
        <source>Can&apos;t reach the station directory</source>
        <translation>Das Senderverzeichnis ist nicht erreichbar</translation>
    </message>
    <message>
        <source>The station directory answered with an error</source>
        <translation>Das Senderverzeichnis hat mit einem Fehler geantwortet</translation>
    </message>
    <message>
        <source>The station directory took too long to answer</source>
        <translation>Das Senderverzeichnis hat zu lange für die Antwort gebraucht</translation>
    </message>
    <message>
        <source>The station directory&apos;s answer could not be read</source>
        <translation>Die Antwort des Senderverzeichnisses konnte nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>StationEditorSheet</name>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Enter a name and a URL first</source>
        <translation>Geben Sie zuerst einen Namen und eine URL ein</translation>
    </message>
    <message>
        <source>Logo:</source>
        <translation>Logo:</translation>
    </message>
    <message>
        <source>Choose Image…</source>
        <translation>Bild wählen…</translation>
    </message>
    <message>
        <source>Clear Image</source>
        <translation>Bild entfernen</translation>
    </message>
</context>
<context>
    <name>StatusWording</name>
    <message>
        <source>No track info</source>
        <translation>Keine Titelinformationen</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbindung wird hergestellt …</translation>
    </message>
    <message>
        <source>Buffering…</source>
        <translation>Wird gepuffert …</translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation>Verbindung fehlgeschlagen</translation>
    </message>
    <message>
        <source>connecting</source>
        <translation>verbindet</translation>
    </message>
    <message>
        <source>buffering</source>
        <translation>puffert</translation>
    </message>
    <message>
        <source>playing</source>
        <translation>spielt</translation>
    </message>
    <message>
        <source>connection failed</source>
        <translation>Verbindung fehlgeschlagen</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>pausiert</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>Verbindungsaufbau</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Volume %1 %</source>
        <translation>Lautstärke %1 %</translation>
    </message>
    <message>
        <source>%1 kbps</source>
        <translation>%1 kbit/s</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 kHz</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message numerus="yes">
        <source>%n channels</source>
        <translation>
            <numerusform>%n Kanal</numerusform>
            <numerusform>%n Kanäle</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Stops in %n min</source>
        <translation>
            <numerusform>Endet in %n Min.</numerusform>
            <numerusform>Endet in %n Min.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TrayPanel</name>
    <message>
        <source>No streams added</source>
        <translation>Keine Sender hinzugefügt</translation>
    </message>
    <message>
        <source>Ctrl+F finds stations, Ctrl+N adds one</source>
        <translation>Strg+F sucht Sender, Strg+N fügt einen hinzu</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Sender</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Quit Tunara</source>
        <translation>Tunara beenden</translation>
    </message>
</context>
<context>
    <name>URLValidation</name>
    <message>
        <source>Please enter a valid URL</source>
        <translation>Bitte geben Sie eine gültige URL ein</translation>
    </message>
    <message>
        <source>URL must start with http:// or https://</source>
        <translation>Die URL muss mit http:// oder https:// beginnen</translation>
    </message>
    <message>
        <source>URL must contain a valid host</source>
        <translation>Die URL muss einen gültigen Host enthalten</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Playing a radio station</source>
        <translation>Ein Radiosender spielt</translation>
    </message>
</context>
<context>
    <name>tunara::DirectoryViewModel</name>
    <message>
        <source>%1 kbps</source>
        <translation>%1 kbit/s</translation>
    </message>
    <message>
        <source>Type a station&apos;s name, or a tag such as “jazz”</source>
        <translation>Geben Sie den Namen eines Senders oder ein Schlagwort wie „jazz“ ein</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>No stations found</source>
        <translation>Keine Sender gefunden</translation>
    </message>
    <message>
        <source>1 station found</source>
        <translation>1 Sender gefunden</translation>
    </message>
    <message numerus="yes">
        <source>%n stations found</source>
        <translation>
            <numerusform>%n Sender gefunden</numerusform>
            <numerusform>%n Sender gefunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tunara::HistoryListModel</name>
    <message>
        <source>%1, %2, %3</source>
        <translation>%1, %2, %3</translation>
    </message>
    <message>
        <source>History cleared</source>
        <translation>Verlauf gelöscht</translation>
    </message>
</context>
<context>
    <name>tunara::LogoFinder</name>
    <message>
        <source>Every station has a logo</source>
        <translation>Jeder Sender hat ein Logo</translation>
    </message>
    <message>
        <source>Finding logos…</source>
        <translation>Logos werden gesucht…</translation>
    </message>
    <message>
        <source>No logos found</source>
        <translation>Keine Logos gefunden</translation>
    </message>
    <message>
        <source>Found a logo for 1 station</source>
        <translation>Logo für 1 Sender gefunden</translation>
    </message>
    <message numerus="yes">
        <source>Found logos for %n stations</source>
        <translation>
            <numerusform>Logo für %n Sender gefunden</numerusform>
            <numerusform>Logos für %n Sender gefunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tunara::SettingsViewModel</name>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;?</source>
        <translation>Möchten Sie „%1“ wirklich löschen?</translation>
    </message>
</context>
<context>
    <name>tunara::StationEditorViewModel</name>
    <message>
        <source>Edit stream</source>
        <translation>Sender bearbeiten</translation>
    </message>
    <message>
        <source>Add a stream</source>
        <translation>Sender hinzufügen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Choose Image</source>
        <translation>Bild wählen</translation>
    </message>
    <message>
        <source>Images (*.png *.jpg *.jpeg *.ico *.webp)</source>
        <translation>Bilder (*.png *.jpg *.jpeg *.ico *.webp)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>tunara::StationFilesViewModel</name>
    <message>
        <source>1 station</source>
        <translation>1 Sender</translation>
    </message>
    <message numerus="yes">
        <source>%n stations</source>
        <translation>
            <numerusform>%n Sender</numerusform>
            <numerusform>%n Sender</numerusform>
        </translation>
    </message>
    <message>
        <source>Can&apos;t read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 is too large for a station list</source>
        <translation>%1 ist zu groß für eine Senderliste</translation>
    </message>
    <message>
        <source>No stations found in %1</source>
        <translation>Keine Sender in %1 gefunden</translation>
    </message>
    <message>
        <source>Import Stations</source>
        <translation>Sender importieren</translation>
    </message>
    <message>
        <source>Station lists (*.m3u *.m3u8 *.pls *.xspf)</source>
        <translation>Senderlisten (*.m3u *.m3u8 *.pls *.xspf)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Export Stations</source>
        <translation>Sender exportieren</translation>
    </message>
    <message>
        <source>Extended M3U (*.m3u8)</source>
        <translation>Erweitertes M3U (*.m3u8)</translation>
    </message>
    <message>
        <source>Tunara Stations.m3u8</source>
        <translation>Tunara-Sender.m3u8</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Added %1, the first %2 of the file</source>
        <translation>%1 hinzugefügt, die ersten %2 der Datei</translation>
    </message>
    <message>
        <source>Added %1</source>
        <translation>%1 hinzugefügt</translation>
    </message>
    <message>
        <source>No new stations: all are in your list already</source>
        <translation>Keine neuen Sender: Alle sind bereits in Ihrer Liste</translation>
    </message>
    <message>
        <source>Can&apos;t write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Exported %1 to %2</source>
        <translation>%1 nach %2 exportiert</translation>
    </message>
</context>
<context>
    <name>tunara::StationLogos</name>
    <message>
        <source>The file could not be read.</source>
        <translation>Die Datei konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The image is larger than 1 MiB.</source>
        <translation>Das Bild ist größer als 1 MiB.</translation>
    </message>
    <message>
        <source>The file is not a PNG, JPEG, ICO or WebP image of at most 4096 × 4096 pixels.</source>
        <translation>Die Datei ist kein PNG-, JPEG-, ICO- oder WebP-Bild mit höchstens 4096 × 4096 Pixeln.</translation>
    </message>
</context>
<context>
    <name>tunara::StoreViewModel</name>
    <message>
        <source>Could not save the station list: %1</source>
        <translation>Die Senderliste konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>tunara::TunaraApp</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Open Tunara</source>
        <translation>Tunara öffnen</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Quit Tunara</source>
        <translation>Tunara beenden</translation>
    </message>
    <message>
        <source>Added %1</source>
        <translation>%1 hinzugefügt</translation>
    </message>
    <message numerus="yes">
        <source>Added %n stations</source>
        <translation>
            <numerusform>%n Sender hinzugefügt</numerusform>
            <numerusform>%n Sender hinzugefügt</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleted %1</source>
        <translation>%1 gelöscht</translation>
    </message>
    <message>
        <source>Sleep Timer…</source>
        <translation>Einschlaf-Timer …</translation>
    </message>
    <message>
        <source>Recently Played</source>
        <translation>Zuletzt gespielt</translation>
    </message>
    <message>
        <source>Recently Played…</source>
        <translation>Zuletzt gespielt…</translation>
    </message>
</context>
</TS>
