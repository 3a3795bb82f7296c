<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="he" sourcelanguage="en">
<context>
    <name>Failure</name>
    <message>
        <source>The station&apos;s address is not a valid web address.</source>
        <translation>כתובת התחנה אינה כתובת אינטרנט תקינה.</translation>
    </message>
    <message>
        <source>The stream leads to an address that is not http or https.</source>
        <translation>השידור מפנה לכתובת שאינה http או https.</translation>
    </message>
    <message>
        <source>The station&apos;s server could not be found.</source>
        <translation>שרת התחנה לא נמצא.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not a stream.</source>
        <translation>התשובה של השרת אינה שידור.</translation>
    </message>
    <message>
        <source>The server asks for a login.</source>
        <translation>השרת דורש התחברות.</translation>
    </message>
    <message>
        <source>The server has no stream at this address.</source>
        <translation>אין בשרת שידור בכתובת זו.</translation>
    </message>
    <message>
        <source>The server refuses to send the stream.</source>
        <translation>השרת מסרב לשלוח את השידור.</translation>
    </message>
    <message>
        <source>A secure connection to the server could not be made.</source>
        <translation>לא ניתן היה ליצור חיבור מאובטח לשרת.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has expired.</source>
        <translation>פג תוקפו של אישור האבטחה של השרת.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not valid yet.</source>
        <translation>אישור האבטחה של השרת עדיין אינו בתוקף.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is signed by an unknown authority.</source>
        <translation>אישור האבטחה של השרת נחתם על ידי רשות אישורים לא מוכרת.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate belongs to another site.</source>
        <translation>אישור האבטחה של השרת שייך לאתר אחר.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has been revoked.</source>
        <translation>אישור האבטחה של השרת בוטל.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate uses insecure cryptography.</source>
        <translation>אישור האבטחה של השרת משתמש בהצפנה לא בטוחה.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted.</source>
        <translation>אישור האבטחה של השרת אינו מהימן.</translation>
    </message>
    <message>
        <source>The stream is not in a format that can be played.</source>
        <translation>השידור אינו בפורמט שניתן לנגן.</translation>
    </message>
    <message>
        <source>The stream or its playlist could not be read.</source>
        <translation>לא ניתן היה לקרוא את השידור או את רשימת ההשמעה שלו.</translation>
    </message>
    <message>
        <source>No decoder is available for the stream&apos;s format.</source>
        <translation>אין מפענח זמין לפורמט של השידור.</translation>
    </message>
    <message>
        <source>This build of Tunara cannot play streams.</source>
        <translation>גרסה זו של Tunara אינה יכולה לנגן שידורים.</translation>
    </message>
    <message>
        <source>The server refused the connection.</source>
        <translation>השרת דחה את החיבור.</translation>
    </message>
    <message>
        <source>The connection to the server was lost.</source>
        <translation>החיבור לשרת נותק.</translation>
    </message>
    <message>
        <source>The server did not answer in time.</source>
        <translation>השרת לא השיב בזמן.</translation>
    </message>
    <message>
        <source>The network cannot be reached.</source>
        <translation>אין גישה לרשת.</translation>
    </message>
    <message>
        <source>The server is unavailable for the moment.</source>
        <translation>השרת אינו זמין כרגע.</translation>
    </message>
    <message>
        <source>Playback failed.</source>
        <translation>הניגון נכשל.</translation>
    </message>
</context>
<context>
    <name>FindStationsView</name>
    <message>
        <source>Find Stations</source>
        <translation>חיפוש תחנות</translation>
    </message>
    <message>
        <source>A tag, such as jazz</source>
        <translation>תגית, למשל jazz</translation>
    </message>
    <message>
        <source>A station&apos;s name</source>
        <translation>שם של תחנה</translation>
    </message>
    <message>
        <source>Search the station directory</source>
        <translation>חיפוש במאגר התחנות</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>שם</translation>
    </message>
    <message>
        <source>Search by name</source>
        <translation>חיפוש לפי שם</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>תגית</translation>
    </message>
    <message>
        <source>Search by tag</source>
        <translation>חיפוש לפי תגית</translation>
    </message>
    <message>
        <source>Scroll the stations found</source>
        <translation>גלילה בתחנות שנמצאו</translation>
    </message>
    <message>
        <source>Stations found</source>
        <translation>תחנות שנמצאו</translation>
    </message>
    <message>
        <source>In your list</source>
        <translation>ברשימה שלך</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>הוספה</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>הוספת %1</translation>
    </message>
    <message>
        <source>Stations from the Radio Browser community directory</source>
        <translation>תחנות מהמאגר הקהילתי Radio Browser</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>סיום</translation>
    </message>
</context>
<context>
    <name>NowPlayingHeader</name>
    <message>
        <source>Select a stream</source>
        <translation>יש לבחור תחנה</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <translation>RTL</translation>
    </message>
</context>
<context>
    <name>RecentlyPlayedView</name>
    <message>
        <source>Recently Played</source>
        <translation>הושמעו לאחרונה</translation>
    </message>
    <message>
        <source>No tracks played yet</source>
        <translation>עדיין לא הושמעו שירים</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>העתקה</translation>
    </message>
    <message>
        <source>Search the Web</source>
        <translation>חיפוש ברשת</translation>
    </message>
    <message>
        <source>Clear History…</source>
        <translation>ניקוי ההיסטוריה…</translation>
    </message>
    <message>
        <source>Clear History</source>
        <translation>ניקוי ההיסטוריה</translation>
    </message>
    <message>
        <source>Every track played is removed from the list.</source>
        <translation>כל השירים שהושמעו יוסרו מהרשימה.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ביטול</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>ניקוי</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Scroll the stations</source>
        <translation>גלילה ברשימת התחנות</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>תחנות</translation>
    </message>
    <message>
        <source>Add station</source>
        <translation>הוספת תחנה</translation>
    </message>
    <message>
        <source>Delete station</source>
        <translation>מחיקת תחנה</translation>
    </message>
    <message>
        <source>Select a station first</source>
        <translation>יש לבחור תחנה תחילה</translation>
    </message>
    <message>
        <source>Find Stations</source>
        <translation>חיפוש תחנות</translation>
    </message>
    <message>
        <source>Import or Export Stations</source>
        <translation>ייבוא או ייצוא של תחנות</translation>
    </message>
    <message>
        <source>Import or export stations</source>
        <translation>ייבוא או ייצוא של תחנות</translation>
    </message>
    <message>
        <source>Edit…</source>
        <translation>עריכה…</translation>
    </message>
    <message>
        <source>Edit station</source>
        <translation>עריכת תחנה</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>מחיקה</translation>
    </message>
    <message>
        <source>Import Stations…</source>
        <translation>ייבוא תחנות…</translation>
    </message>
    <message>
        <source>Export Stations…</source>
        <translation>ייצוא תחנות…</translation>
    </message>
    <message>
        <source>Start Tunara at login</source>
        <translation>הפעלת Tunara בעת הכניסה למערכת</translation>
    </message>
    <message>
        <source>Play the last station at start</source>
        <translation>ניגון התחנה האחרונה בעת ההפעלה</translation>
    </message>
    <message>
        <source>Delete Stream</source>
        <translation>מחיקת תחנה</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ביטול</translation>
    </message>
    <message>
        <source>Notify new tracks</source>
        <translation>הודעה על שירים חדשים</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>מניעת שינה של המחשב בזמן ניגון</translation>
    </message>
    <message>
        <source>Keep a history of played tracks</source>
        <translation>שמירת היסטוריה של השירים שהושמעו</translation>
    </message>
    <message>
        <source>Find Logos</source>
        <translation>חיפוש סמלילים</translation>
    </message>
</context>
<context>
    <name>SleepTimerSheet</name>
    <message>
        <source>Sleep Timer</source>
        <translation>טיימר שינה</translation>
    </message>
    <message>
        <source>Stop playing after</source>
        <translation>הפסקת הניגון בעוד</translation>
    </message>
    <message>
        <source>Turn Off</source>
        <translation>כיבוי</translation>
    </message>
    <message numerus="yes">
        <source>%n min</source>
        <translation>
            <numerusform>דקה אחת</numerusform>
            <numerusform>%n דק׳</numerusform>
        </translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>דקות</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>התחלה</translation>
    </message>
</context>
<context>
    <name>StationDirectory</name>
    <message>
        <source>Can&apos;t reach the station directory</source>
        <translation>אין גישה למאגר התחנות</translation>
    </message>
    <message>
        <source>The station directory answered with an error</source>
        <translation>מאגר התחנות השיב בשגיאה</translation>
    </message>
    <message>
        <source>The station directory took too long to answer</source>
        <translation>מאגר התחנות לא השיב בזמן סביר</translation>
    </message>
    <message>
        <source>The station directory&apos;s answer could not be read</source>
        <translation>לא ניתן היה לקרוא את התשובה של מאגר התחנות</translation>
    </message>
</context>
<context>
    <name>StationEditorSheet</name>
    <message>
        <source>Name:</source>
        <translation>שם:</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>שם</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>כתובת URL:</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>כתובת URL</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ביטול</translation>
    </message>
    <message>
        <source>Enter a name and a URL first</source>
        <translation>יש להזין תחילה שם וכתובת URL</translation>
    </message>
    <message>
        <source>Logo:</source>
        <translation>סמליל:</translation>
    </message>
    <message>
        <source>Choose Image…</source>
        <translation>בחירת תמונה…</translation>
    </message>
    <message>
        <source>Clear Image</source>
        <translation>הסרת התמונה</translation>
    </message>
</context>
<context>
    <name>StatusWording</name>
    <message>
        <source>No track info</source>
        <translation>אין מידע על הרצועה</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>מתחבר…</translation>
    </message>
    <message>
        <source>Buffering…</source>
        <translation>אוגר נתונים…</translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation>החיבור נכשל</translation>
    </message>
    <message>
        <source>connecting</source>
        <translation>בהתחברות</translation>
    </message>
    <message>
        <source>buffering</source>
        <translation>באגירת נתונים</translation>
    </message>
    <message>
        <source>playing</source>
        <translation>בניגון</translation>
    </message>
    <message>
        <source>connection failed</source>
        <translation>החיבור נכשל</translation>
    </message>
    <message>
        <source>paused</source>
        <translation>מושהה</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>התחברות</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>השהיה</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>ניסיון חוזר</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>ניגון</translation>
    </message>
    <message>
        <source>Volume %1 %</source>
        <translation>עוצמת קול %1%</translation>
    </message>
    <message>
        <source>%1 kbps</source>
        <translation>%1 kbps</translation>
    </message>
    <message>
        <source>%1 kHz</source>
        <translation>%1 קה״ץ</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>מונו</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>סטריאו</translation>
    </message>
    <message numerus="yes">
        <source>%n channels</source>
        <translation>
            <numerusform>ערוץ %n</numerusform>
            <numerusform>%n ערוצים</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Stops in %n min</source>
        <translation>
            <numerusform>ייעצר בעוד דקה</numerusform>
            <numerusform>ייעצר בעוד %n דק׳</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TrayPanel</name>
    <message>
        <source>No streams added</source>
        <translation>לא נוספו תחנות</translation>
    </message>
    <message>
        <source>Ctrl+F finds stations, Ctrl+N adds one</source>
        <translation>Ctrl+F לחיפוש תחנות, Ctrl+N להוספת תחנה</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>תחנות</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>הגדרות…</translation>
    </message>
    <message>
        <source>Quit Tunara</source>
        <translation>יציאה מ־Tunara</translation>
    </message>
</context>
<context>
    <name>URLValidation</name>
    <message>
        <source>Please enter a valid URL</source>
        <translation>נא להזין כתובת URL תקינה</translation>
    </message>
    <message>
        <source>URL must start with http:// or https://</source>
        <translation>כתובת ה־URL חייבת להתחיל ב־⁦http://⁩ או ב־⁦https://⁩</translation>
    </message>
    <message>
        <source>URL must contain a valid host</source>
        <translation>כתובת ה־URL חייבת לכלול שם מארח תקין</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Playing a radio station</source>
        <translation>תחנת רדיו מתנגנת</translation>
    </message>
</context>
<context>
    <name>tunara::DirectoryViewModel</name>
    <message>
        <source>%1 kbps</source>
        <translation>%1 kbps</translation>
    </message>
    <message>
        <source>Type a station&apos;s name, or a tag such as “jazz”</source>
        <translation>יש להקליד שם של תחנה, או תגית כמו ״jazz״</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>מחפש…</translation>
    </message>
    <message>
        <source>No stations found</source>
        <translation>לא נמצאו תחנות</translation>
    </message>
    <message>
        <source>1 station found</source>
        <translation>נמצאה תחנה אחת</translation>
    </message>
    <message numerus="yes">
        <source>%n stations found</source>
        <translation>
            <numerusform>נמצאה %n תחנה</numerusform>
            <numerusform>נמצאו %n תחנות</numerusform>
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
        <translation>ההיסטוריה נוקתה</translation>
    </message>
</context>
<context>
    <name>tunara::LogoFinder</name>
    <message>
        <source>Every station has a logo</source>
        <translation>לכל התחנות יש סמליל</translation>
    </message>
    <message>
        <source>Finding logos…</source>
        <translation>מחפש סמלילים…</translation>
    </message>
    <message>
        <source>No logos found</source>
        <translation>לא נמצאו סמלילים</translation>
    </message>
    <message>
        <source>Found a logo for 1 station</source>
        <translation>נמצא סמליל לתחנה אחת</translation>
    </message>
    <message numerus="yes">
        <source>Found logos for %n stations</source>
        <translation>
            <numerusform>נמצא סמליל ל־%n תחנה</numerusform>
            <numerusform>נמצאו סמלילים ל־%n תחנות</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tunara::SettingsViewModel</name>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;?</source>
        <translation>האם אכן למחוק את ״%1״?</translation>
    </message>
</context>
<context>
    <name>tunara::StationEditorViewModel</name>
    <message>
        <source>Edit stream</source>
        <translation>עריכת תחנה</translation>
    </message>
    <message>
        <source>Add a stream</source>
        <translation>הוספת תחנה</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>שמירה</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>הוספה</translation>
    </message>
    <message>
        <source>Choose Image</source>
        <translation>בחירת תמונה</translation>
    </message>
    <message>
        <source>Images (*.png *.jpg *.jpeg *.ico *.webp)</source>
        <translation>תמונות (*.png *.jpg *.jpeg *.ico *.webp)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>כל הקבצים (*)</translation>
    </message>
</context>
<context>
    <name>tunara::StationFilesViewModel</name>
    <message>
        <source>1 station</source>
        <translation>תחנה אחת</translation>
    </message>
    <message numerus="yes">
        <source>%n stations</source>
        <translation>
            <numerusform>%n תחנה</numerusform>
            <numerusform>%n תחנות</numerusform>
        </translation>
    </message>
    <message>
        <source>Can&apos;t read %1</source>
        <translation>לא ניתן לקרוא את הקובץ %1</translation>
    </message>
    <message>
        <source>%1 is too large for a station list</source>
        <translation>הקובץ %1 גדול מדי לרשימת תחנות</translation>
    </message>
    <message>
        <source>No stations found in %1</source>
        <translation>לא נמצאו תחנות בקובץ %1</translation>
    </message>
    <message>
        <source>Import Stations</source>
        <translation>ייבוא תחנות</translation>
    </message>
    <message>
        <source>Station lists (*.m3u *.m3u8 *.pls *.xspf)</source>
        <translation>רשימות תחנות (*.m3u *.m3u8 *.pls *.xspf)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>כל הקבצים (*)</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>ייבוא</translation>
    </message>
    <message>
        <source>Export Stations</source>
        <translation>ייצוא תחנות</translation>
    </message>
    <message>
        <source>Extended M3U (*.m3u8)</source>
        <translation>M3U מורחב (*.m3u8)</translation>
    </message>
    <message>
        <source>Tunara Stations.m3u8</source>
        <translation>תחנות Tunara.m3u8</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>ייצוא</translation>
    </message>
    <message>
        <source>Added %1, the first %2 of the file</source>
        <translation>נוספו %1, ה־%2 הראשונות בקובץ</translation>
    </message>
    <message>
        <source>Added %1</source>
        <translation>הוספת %1 הושלמה</translation>
    </message>
    <message>
        <source>No new stations: all are in your list already</source>
        <translation>אין תחנות חדשות: כולן כבר ברשימה שלך</translation>
    </message>
    <message>
        <source>Can&apos;t write %1: %2</source>
        <translation>לא ניתן לכתוב לקובץ %1: %2</translation>
    </message>
    <message>
        <source>Exported %1 to %2</source>
        <translation>ייצוא %1 אל %2 הושלם</translation>
    </message>
</context>
<context>
    <name>tunara::StationLogos</name>
    <message>
        <source>The file could not be read.</source>
        <translation>לא ניתן היה לקרוא את הקובץ.</translation>
    </message>
    <message>
        <source>The image is larger than 1 MiB.</source>
        <translation>התמונה גדולה מ־1 MiB.</translation>
    </message>
    <message>
        <source>The file is not a PNG, JPEG, ICO or WebP image of at most 4096 × 4096 pixels.</source>
        <translation>הקובץ אינו תמונת PNG‏, JPEG‏, ICO או WebP בגודל של 4096 × 4096 פיקסלים לכל היותר.</translation>
    </message>
</context>
<context>
    <name>tunara::StoreViewModel</name>
    <message>
        <source>Could not save the station list: %1</source>
        <translation>לא ניתן היה לשמור את רשימת התחנות: %1</translation>
    </message>
</context>
<context>
    <name>tunara::TunaraApp</name>
    <message>
        <source>Settings</source>
        <translation>הגדרות</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>השהיה</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>ניגון</translation>
    </message>
    <message>
        <source>Open Tunara</source>
        <translation>פתיחת Tunara</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>הגדרות…</translation>
    </message>
    <message>
        <source>Quit Tunara</source>
        <translation>יציאה מ־Tunara</translation>
    </message>
    <message>
        <source>Added %1</source>
        <translation>התחנה %1 נוספה</translation>
    </message>
    <message numerus="yes">
        <source>Added %n stations</source>
        <translation>
            <numerusform>נוספה %n תחנה</numerusform>
            <numerusform>נוספו %n תחנות</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleted %1</source>
        <translation>התחנה %1 נמחקה</translation>
    </message>
    <message>
        <source>Sleep Timer…</source>
        <translation>טיימר שינה…</translation>
    </message>
    <message>
        <source>Recently Played</source>
        <translation>הושמעו לאחרונה</translation>
    </message>
    <message>
        <source>Recently Played…</source>
        <translation>הושמעו לאחרונה…</translation>
    </message>
</context>
</TS>
