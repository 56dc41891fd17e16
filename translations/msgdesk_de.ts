<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>The text messages of an iPhone: read from the phone or its backups, backed up, browsed and exported.</source>
        <translation>Die Textnachrichten eines iPhones: vom Telefon oder aus seinen Sicherungen gelesen, gesichert, durchgesehen und exportiert.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About %1</source>
        <translation>Ü&amp;ber %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
</context>
<context>
    <name>BackupChooser</name>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>Encrypted</source>
        <translation>Verschlüsselt</translation>
    </message>
    <message>
        <source>incomplete</source>
        <translation>unvollständig</translation>
    </message>
    <message>
        <source>Damaged backup: %1</source>
        <translation>Beschädigte Sicherung: %1</translation>
    </message>
    <message>
        <source>Choose a phone backup folder</source>
        <translation>Ordner einer Telefonsicherung wählen</translation>
    </message>
    <message>
        <source>Choose the phone backup to open:</source>
        <translation>Zu öffnende Telefonsicherung wählen:</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Backed up</source>
        <translation>Gesichert</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>No phone backup was found in the usual places. Choose a folder that holds one.</source>
        <translation>An den üblichen Orten wurde keine Telefonsicherung gefunden. Wählen Sie einen Ordner, der eine enthält.</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BackupPassword</name>
    <message>
        <source>The password is wrong. Please try again.</source>
        <translation>Das Passwort ist falsch. Bitte versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Encrypted backup</source>
        <translation>Verschlüsselte Sicherung</translation>
    </message>
    <message>
        <source>This backup is encrypted. Enter the password that was set for the phone&apos;s backups:</source>
        <translation>Diese Sicherung ist verschlüsselt. Geben Sie das Passwort ein, das für die Sicherungen des Telefons festgelegt wurde:</translation>
    </message>
    <message>
        <source>%1, backed up %2</source>
        <translation>%1, gesichert am %2</translation>
    </message>
    <message>
        <source>Checking the password… %p%</source>
        <translation>Passwort wird geprüft … %p%</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>Cancelling the backup...</source>
        <translation>Die Sicherung wird abgebrochen …</translation>
    </message>
    <message>
        <source>Backing up the iPhone. The first backup of a phone can take a long time.</source>
        <translation>Das iPhone wird gesichert. Die erste Sicherung eines Telefons kann lange dauern.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BackupRun</name>
    <message>
        <source>The backup tool %1 could not be started.
Install the Debian packages libimobiledevice-utils and usbmuxd, and keep msgdesk&apos;s device support beside the program.</source>
        <translation>Das Sicherungsprogramm %1 konnte nicht gestartet werden.
Installieren Sie die Debian-Pakete libimobiledevice-utils und usbmuxd und lassen Sie die Geräteunterstützung von msgdesk neben dem Programm.</translation>
    </message>
    <message>
        <source>The backup was cancelled. The phone&apos;s previous backup is kept.</source>
        <translation>Die Sicherung wurde abgebrochen. Die vorige Sicherung des Telefons bleibt erhalten.</translation>
    </message>
    <message>
        <source>The backup tool stopped unexpectedly. The phone&apos;s previous backup is kept.</source>
        <translation>Das Sicherungsprogramm wurde unerwartet beendet. Die vorige Sicherung des Telefons bleibt erhalten.</translation>
    </message>
    <message>
        <source>The backup of the phone failed (status %1).</source>
        <translation>Die Sicherung des Telefons ist fehlgeschlagen (Status %1).</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 kB</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>The iPhone is locked. Unlock it and keep it unlocked while the backup starts; on iOS 16.1 and later, enter the passcode on the iPhone when it asks for it. Then choose the phone again.</source>
        <translation>Das iPhone ist gesperrt. Entsperren Sie es und lassen Sie es entsperrt, während die Sicherung beginnt; geben Sie ab iOS 16.1 den Code auf dem iPhone ein, wenn es danach fragt. Wählen Sie dann das Telefon erneut.</translation>
    </message>
    <message>
        <source>an unknown version</source>
        <translation>eine unbekannte Version</translation>
    </message>
    <message>
        <source>The device library on this computer (%1) is older than the iPhone&apos;s software and cannot back it up. Install a newer device library, or make the backup with another program and open it with &quot;File &gt; Open phone backup…&quot;.</source>
        <translation>Die Gerätebibliothek auf diesem Computer (%1) ist älter als die Software des iPhones und kann es nicht sichern. Installieren Sie eine neuere Gerätebibliothek, oder erstellen Sie die Sicherung mit einem anderen Programm und öffnen Sie sie mit „Datei &gt; Telefonsicherung öffnen …“.</translation>
    </message>
    <message>
        <source>This computer is no longer paired with the iPhone. Unlock the iPhone, run &quot;idevicepair pair&quot;, tap &quot;Trust&quot; on the iPhone and enter its passcode, then attach it again.</source>
        <translation>Dieser Computer ist nicht mehr mit dem iPhone gekoppelt. Entsperren Sie das iPhone, führen Sie „idevicepair pair“ aus, tippen Sie auf dem iPhone auf „Vertrauen“ und geben Sie seinen Code ein; schließen Sie es dann erneut an.</translation>
    </message>
    <message>
        <source>There is too little free disk space for the backup: %1 free</source>
        <translation>Für die Sicherung ist zu wenig Speicherplatz frei (verfügbar: %1)</translation>
    </message>
    <message>
        <source>, and the last backup of this iPhone takes %1</source>
        <translation>, und die letzte Sicherung dieses iPhones belegt %1</translation>
    </message>
    <message>
        <source>. Free some space and choose the phone again.</source>
        <translation>. Geben Sie Speicherplatz frei und wählen Sie das Telefon erneut.</translation>
    </message>
</context>
<context>
    <name>BubbleFrame</name>
    <message>
        <source>Edited</source>
        <translation>Bearbeitet</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>%1: a file of that name is already there</source>
        <translation>%1: eine Datei dieses Namens ist schon vorhanden</translation>
    </message>
    <message>
        <source>%1: the folder is not empty</source>
        <translation>%1: der Ordner ist nicht leer</translation>
    </message>
    <message>
        <source>%1: its folder does not exist</source>
        <translation>%1: sein Ordner existiert nicht</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1: kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>me</source>
        <translation>ich</translation>
    </message>
    <message>
        <source>1 message</source>
        <translation>1 Nachricht</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 Nachrichten</translation>
    </message>
    <message>
        <source>%1: not a folder</source>
        <translation>%1: kein Ordner</translation>
    </message>
    <message>
        <source>%1: cannot be written (%2)</source>
        <translation>%1: kann nicht geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Alle Unterhaltungen</translation>
    </message>
    <message>
        <source>Edited</source>
        <translation>Bearbeitet</translation>
    </message>
    <message>
        <source>the folder for the attachments cannot be made</source>
        <translation>der Ordner für die Anhänge kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>die Datei kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 Unterhaltung</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 Unterhaltungen</translation>
    </message>
    <message>
        <source>PDF files can only be written where the fonts can be loaded</source>
        <translation>PDF-Dateien können nur geschrieben werden, wo die Schriften geladen werden können</translation>
    </message>
    <message>
        <source>the PDF file cannot be started</source>
        <translation>die PDF-Datei kann nicht begonnen werden</translation>
    </message>
    <message>
        <source>No messages</source>
        <translation>Keine Nachrichten</translation>
    </message>
    <message>
        <source>the PDF file cannot be finished</source>
        <translation>die PDF-Datei kann nicht abgeschlossen werden</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Plain text</source>
        <translation>Reiner Text</translation>
    </message>
    <message>
        <source>Web page (HTML)</source>
        <translation>Webseite (HTML)</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>PDF-Dokument</translation>
    </message>
    <message>
        <source>Spreadsheet (CSV)</source>
        <translation>Tabelle (CSV)</translation>
    </message>
    <message>
        <source>JSON lines</source>
        <translation>JSON-Zeilen</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>No program could be started to show
%1</source>
        <translation>Es konnte kein Programm gestartet werden, um dies zu zeigen:
%1</translation>
    </message>
    <message>
        <source>Export to folder</source>
        <translation>In Ordner exportieren</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>Exportieren nach</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Please choose where the export goes.</source>
        <translation>Bitte wählen Sie, wohin exportiert wird.</translation>
    </message>
    <message>
        <source>The first day of the range comes after its last day.</source>
        <translation>Der erste Tag des Zeitraums liegt nach seinem letzten Tag.</translation>
    </message>
    <message>
        <source>%1 of %2 messages</source>
        <translation>%1 von %2 Nachrichten</translation>
    </message>
    <message>
        <source>%1 messages of %2 conversations were written to %3.</source>
        <translation>%1 Nachrichten aus %2 Unterhaltungen wurden nach %3 geschrieben.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The export was cancelled; nothing was written.</source>
        <translation>Der Export wurde abgebrochen; es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The export could not be written:
%1</source>
        <translation>Der Export konnte nicht geschrieben werden:
%1</translation>
    </message>
    <message>
        <source>Export messages</source>
        <translation>Nachrichten exportieren</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Messages:</source>
        <translation>Nachrichten:</translation>
    </message>
    <message>
        <source>All conversations</source>
        <translation>Alle Unterhaltungen</translation>
    </message>
    <message>
        <source>The open conversation</source>
        <translation>Die geöffnete Unterhaltung</translation>
    </message>
    <message>
        <source>The open conversation: %1</source>
        <translation>Die geöffnete Unterhaltung: %1</translation>
    </message>
    <message>
        <source>The selected messages</source>
        <translation>Die ausgewählten Nachrichten</translation>
    </message>
    <message>
        <source>The selected messages (%1)</source>
        <translation>Die ausgewählten Nachrichten (%1)</translation>
    </message>
    <message>
        <source>Only messages from</source>
        <translation>Nur Nachrichten vom</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Include attachments</source>
        <translation>Anhänge einschließen</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>Speichern unter:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen …</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Frame</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
</context>
<context>
    <name>Frame1</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>5445</source>
        <translation>5445</translation>
    </message>
</context>
<context>
    <name>FrameCopy</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Warning: this action will copy message
 to .txt file;</source>
        <translation>Achtung: Hiermit werden Nachrichten
 in eine TXT-Datei kopiert;</translation>
    </message>
    <message>
        <source>Choose the file path:</source>
        <translation>Dateipfad wählen:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Open output file</source>
        <translation>Ausgabedatei öffnen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Save To txt</source>
        <translation>Als TXT speichern</translation>
    </message>
    <message>
        <source>txt (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
</context>
<context>
    <name>LoadingLine</name>
    <message>
        <source>Reading messages...</source>
        <translation>Nachrichten werden gelesen …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>iPhone Lost</source>
        <translation>iPhone getrennt</translation>
    </message>
    <message>
        <source>BACKUP FILES</source>
        <translation>SICHERUNGEN</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>BackUp iPhone SMS to Computer</source>
        <translation>SMS des iPhones auf dem Computer sichern</translation>
    </message>
    <message>
        <source>BackUp</source>
        <translation>Sichern</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open phone backup…</source>
        <translation>Telefonsicherung öffnen …</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>Wird heruntergeladen …</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Geschwindigkeit:</translation>
    </message>
    <message>
        <source>0kB/s</source>
        <translation>0kB/s</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>SMS:0
Contact:0
iPhone Serial:No device</source>
        <translation>SMS: 0
Kontakte: 0
Seriennummer des iPhones: kein Gerät</translation>
    </message>
    <message>
        <source>Mobile Losted</source>
        <translation>Telefon getrennt</translation>
    </message>
    <message>
        <source>Mobile connected</source>
        <translation>Telefon verbunden</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>SMS:</source>
        <translation>SMS:</translation>
    </message>
    <message>
        <source>
Contact:</source>
        <translation>
Kontakte:</translation>
    </message>
    <message>
        <source>iPhone Serial:</source>
        <translation>Seriennummer des iPhones:</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>iOS %1</source>
        <translation>iOS %1</translation>
    </message>
    <message>
        <source>This folder is no phone backup that can be read:
%1

%2</source>
        <translation>Dieser Ordner ist keine lesbare Telefonsicherung:
%1

%2</translation>
    </message>
    <message>
        <source>There is no .sms backup or phone backup folder at
%1</source>
        <translation>Hier gibt es keine .sms-Sicherung und keinen Ordner einer Telefonsicherung:
%1</translation>
    </message>
    <message>
        <source>No message in your device!!!</source>
        <translation>Keine Nachricht auf Ihrem Gerät!</translation>
    </message>
    <message>
        <source>Please make sure that iPhone has been connected.</source>
        <translation>Bitte stellen Sie sicher, dass das iPhone angeschlossen ist.</translation>
    </message>
    <message>
        <source>Backup databace failed!!!</source>
        <translation>Die Sicherung der Datenbank ist fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Open a BackUp</source>
        <translation>Sicherung öffnen</translation>
    </message>
    <message>
        <source>sms(*.sms)</source>
        <translation>SMS-Sicherung (*.sms)</translation>
    </message>
    <message>
        <source>Are you sure to do this?</source>
        <translation>Wollen Sie das wirklich tun?</translation>
    </message>
    <message>
        <source>The backup file could not be deleted:
%1</source>
        <translation>Die Sicherungsdatei konnte nicht gelöscht werden:
%1</translation>
    </message>
    <message>
        <source>The text file could not be written:
%1</source>
        <translation>Die Textdatei konnte nicht geschrieben werden:
%1</translation>
    </message>
    <message>
        <source>No data sorce!!!Please check one!!!</source>
        <translation>Keine Datenquelle! Bitte wählen Sie eine aus!</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisierung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Download error</source>
        <translation>Fehler beim Herunterladen</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Erfolg</translation>
    </message>
    <message>
        <source>Download Success,do you want to install?</source>
        <translation>Download erfolgreich. Möchten Sie jetzt installieren?</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <source>The downloaded file could not be started:
%1</source>
        <translation>Die heruntergeladene Datei konnte nicht gestartet werden:
%1</translation>
    </message>
    <message>
        <source>Backing up the attachments...</source>
        <translation>Anhänge werden gesichert …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren …</translation>
    </message>
    <message>
        <source>The iPhone could not be backed up: it did not tell its identifier. Unlock it, attach it again and confirm that this computer is trusted.</source>
        <translation>Das iPhone konnte nicht gesichert werden: Es hat seine Kennung nicht mitgeteilt. Entsperren Sie es, schließen Sie es erneut an und bestätigen Sie, dass Sie diesem Computer vertrauen.</translation>
    </message>
    <message>
        <source>BackUp iPhone</source>
        <translation>iPhone sichern</translation>
    </message>
    <message>
        <source>The message database was not found in the iPhone&apos;s backup:
%1</source>
        <translation>Die Nachrichtendatenbank wurde in der Sicherung des iPhones nicht gefunden:
%1</translation>
    </message>
    <message>
        <source>The iPhone&apos;s backup holds no address book: names cannot be shown.</source>
        <translation>Die Sicherung des iPhones enthält kein Adressbuch: Namen können nicht angezeigt werden.</translation>
    </message>
    <message>
        <source>The backup file does not exist any more:
%1</source>
        <translation>Die Sicherungsdatei existiert nicht mehr:
%1</translation>
    </message>
    <message>
        <source>The phone backup cannot be read:
%1

%2</source>
        <translation>Die Telefonsicherung kann nicht gelesen werden:
%1

%2</translation>
    </message>
    <message>
        <source>This file is damaged: %1.</source>
        <translation>Diese Datei ist beschädigt: %1.</translation>
    </message>
</context>
<context>
    <name>MsgdeskCli</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>me</source>
        <translation>ich</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Device name: %1</source>
        <translation>Gerätename: %1</translation>
    </message>
    <message>
        <source>iOS version: %1</source>
        <translation>iOS-Version: %1</translation>
    </message>
    <message>
        <source>Backup date: %1</source>
        <translation>Sicherungsdatum: %1</translation>
    </message>
    <message>
        <source>Layout: %1</source>
        <translation>Aufbau: %1</translation>
    </message>
    <message>
        <source>Encrypted: %1</source>
        <translation>Verschlüsselt: %1</translation>
    </message>
    <message>
        <source>Complete: %1</source>
        <translation>Vollständig: %1</translation>
    </message>
    <message>
        <source>modern message database (iOS 6 and later)</source>
        <translation>neue Nachrichtendatenbank (iOS 6 und später)</translation>
    </message>
    <message>
        <source>legacy message database (iOS 5 and before)</source>
        <translation>alte Nachrichtendatenbank (iOS 5 und früher)</translation>
    </message>
    <message>
        <source>Messages: %1</source>
        <translation>Nachrichten: %1</translation>
    </message>
    <message>
        <source>Conversations: %1</source>
        <translation>Unterhaltungen: %1</translation>
    </message>
    <message>
        <source>Contacts: %1</source>
        <translation>Kontakte: %1</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written</source>
        <translation>msgdesk-cli: %1: kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Password of the backup of %1: </source>
        <translation>Passwort der Sicherung von %1: </translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>unbekannter Befehl %1</translation>
    </message>
    <message>
        <source>%1 takes %2</source>
        <translation>%1 braucht %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: no conversation %2</source>
        <translation>msgdesk-cli: %1: keine Unterhaltung %2</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: Datei nicht gefunden</translation>
    </message>
    <message>
        <source>%1: not an address book</source>
        <translation>%1: kein Adressbuch</translation>
    </message>
    <message>
        <source>%1: the backup is encrypted: give its password in MSGDESK_BACKUP_PASSWORD or type it at the prompt</source>
        <translation>%1: die Sicherung ist verschlüsselt: geben Sie ihr Passwort in MSGDESK_BACKUP_PASSWORD an oder tippen Sie es bei der Abfrage ein</translation>
    </message>
    <message>
        <source>%1: wrong password for this backup</source>
        <translation>%1: falsches Passwort für diese Sicherung</translation>
    </message>
    <message>
        <source>%1: the backup cannot be unlocked: %2</source>
        <translation>%1: die Sicherung lässt sich nicht entsperren: %2</translation>
    </message>
    <message>
        <source>%1: its message database is of no layout msgdesk knows</source>
        <translation>%1: ihre Nachrichtendatenbank hat einen Aufbau, den msgdesk nicht kennt</translation>
    </message>
    <message>
        <source>%1: not a message database (the file is not an SQLite database or is damaged)</source>
        <translation>%1: keine Nachrichtendatenbank (die Datei ist keine SQLite-Datenbank oder ist beschädigt)</translation>
    </message>
    <message>
        <source>%1: not a message database (it has no message table)</source>
        <translation>%1: keine Nachrichtendatenbank (sie hat keine Nachrichtentabelle)</translation>
    </message>
    <message>
        <source>%1: the message table is of no layout msgdesk knows</source>
        <translation>%1: die Nachrichtentabelle hat einen Aufbau, den msgdesk nicht kennt</translation>
    </message>
    <message>
        <source>present</source>
        <translation>vorhanden</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: %2</source>
        <translation>msgdesk-cli: %1: %2</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: a file of that name is already there</source>
        <translation>msgdesk-cli: %1: eine Datei dieses Namens ist bereits vorhanden</translation>
    </message>
    <message>
        <source>msgdesk-cli: %1: cannot be written: %2</source>
        <translation>msgdesk-cli: %1: kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>--json is for list, show, info, search and attachments</source>
        <translation>--json gilt nur für list, show, info, search und attachments</translation>
    </message>
    <message>
        <source>--conversation is for export, search and attachments</source>
        <translation>--conversation gilt nur für export, search und attachments</translation>
    </message>
    <message>
        <source>--save is for attachments</source>
        <translation>--save gilt nur für attachments</translation>
    </message>
    <message>
        <source>--save and --json cannot be combined</source>
        <translation>--save und --json können nicht kombiniert werden</translation>
    </message>
    <message>
        <source>--contacts is for list, show, export, search, attachments and backup</source>
        <translation>--contacts gilt nur für list, show, export, search, attachments und backup</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; what could be read is shown</source>
        <translation>%1: die Datei ist beschädigt: %2; angezeigt wird, was gelesen werden konnte</translation>
    </message>
    <message>
        <source>usage: msgdesk-cli list   [--json] [--contacts FILE] SOURCE
       msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
       msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                          [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
       msgdesk-cli info   [--json] SOURCE
       msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
       msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
       msgdesk-cli backup [--contacts FILE] SOURCE FILE
       msgdesk-cli --version | --help
SOURCE is a .sms backup file, a phone&apos;s message database or a phone backup
folder; KEY is a conversation key as &quot;list&quot; prints it. An encrypted backup&apos;s
password comes from MSGDESK_BACKUP_PASSWORD or is asked for. The source is
never changed. export writes txt unless told otherwise; DATE is YYYY-MM-DD in
local time; OUT must not exist (html: a new or empty folder).
</source>
        <translation>Aufruf: msgdesk-cli list   [--json] [--contacts FILE] SOURCE
        msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY
        msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]
                           [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT
        msgdesk-cli info   [--json] SOURCE
        msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY
        msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE
        msgdesk-cli backup [--contacts FILE] SOURCE FILE
        msgdesk-cli --version | --help
SOURCE ist eine .sms-Sicherungsdatei, die Nachrichtendatenbank eines Telefons
oder der Ordner einer Telefonsicherung; KEY ist ein Unterhaltungsschlüssel,
wie „list“ ihn ausgibt. Das Passwort einer verschlüsselten Sicherung kommt aus
MSGDESK_BACKUP_PASSWORD oder wird abgefragt. Die Quelle wird nie verändert.
export schreibt txt, wenn nichts anderes angegeben ist; DATE ist JJJJ-MM-TT
in Ortszeit; OUT darf nicht existieren (html: ein neuer oder leerer Ordner).
</translation>
    </message>
    <message>
        <source>--format, --attachments, --from and --to are for export</source>
        <translation>--format, --attachments, --from und --to sind für export</translation>
    </message>
    <message>
        <source>unknown format %1 (one of %2)</source>
        <translation>unbekanntes Format %1 (eines von %2)</translation>
    </message>
    <message>
        <source>--attachments is for the html and pdf formats</source>
        <translation>--attachments ist für die Formate html und pdf</translation>
    </message>
    <message>
        <source>%1 %2: not a date of the form YYYY-MM-DD</source>
        <translation>%1 %2: kein Datum der Form YYYY-MM-DD</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2</source>
        <translation>--from %1 liegt nach --to %2</translation>
    </message>
    <message>
        <source>%1: cannot be written</source>
        <translation>%1: kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>cannot be told while the backup is locked</source>
        <translation>kann nicht festgestellt werden, solange die Sicherung gesperrt ist</translation>
    </message>
    <message>
        <source>%1: the file is damaged: %2; nothing could be read</source>
        <translation>%1: die Datei ist beschädigt: %2; nichts konnte gelesen werden</translation>
    </message>
</context>
<context>
    <name>MsgdeskStartup</name>
    <message>
        <source>Device library: %1
</source>
        <translation>Gerätebibliothek: %1
</translation>
    </message>
    <message>
        <source>Device library: not found (%1)
</source>
        <translation>Gerätebibliothek: nicht gefunden (%1)
</translation>
    </message>
    <message>
        <source>Backup tool: %1
</source>
        <translation>Sicherungsprogramm: %1
</translation>
    </message>
    <message>
        <source>Backup tool: not found (%1)
</source>
        <translation>Sicherungsprogramm: nicht gefunden (%1)
</translation>
    </message>
    <message>
        <source>ignored: %1
</source>
        <translation>nicht verwendet: %1
</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Delete Error</source>
        <translation>Fehler beim Löschen</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The messages are deleted, but another program is reading the file: their text stays in it until that program closes it. It is wiped as soon as that program lets go.</source>
        <translation>Die Nachrichten sind gelöscht, aber ein anderes Programm liest gerade die Datei: ihr Text bleibt darin, bis dieses Programm die Datei schließt. Er wird entfernt, sobald dieses Programm sie freigibt.</translation>
    </message>
</context>
<context>
    <name>SearchController</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>SearchField</name>
    <message>
        <source>Search messages</source>
        <translation>Nachrichten durchsuchen</translation>
    </message>
</context>
<context>
    <name>SearchResultsPage</name>
    <message>
        <source>1 message</source>
        <translation>1 Nachricht</translation>
    </message>
    <message>
        <source>%1 messages</source>
        <translation>%1 Nachrichten</translation>
    </message>
    <message>
        <source>1 conversation</source>
        <translation>1 Unterhaltung</translation>
    </message>
    <message>
        <source>%1 conversations</source>
        <translation>%1 Unterhaltungen</translation>
    </message>
    <message>
        <source>Conversations</source>
        <translation>Unterhaltungen</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>me</source>
        <translation>ich</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>No messages found</source>
        <translation>Keine Nachrichten gefunden</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 in %2</translation>
    </message>
</context>
<context>
    <name>StartupHelp</name>
    <message>
        <source>usage: msgdesk [PATH]
       msgdesk --version | --help | --check-device-support

Shows the text messages of an iPhone attached by USB, of its backups and
of .sms backup files. PATH, when given, is a .sms backup file or a phone
backup folder to open at start.

  --version               print the version and end
  --help                  print this text and end
  --check-device-support  tell where the device support was found and end
                          (status 1 when it was not found)
</source>
        <translation>Aufruf: msgdesk [PFAD]
       msgdesk --version | --help | --check-device-support

Zeigt die Textnachrichten eines per USB angeschlossenen iPhones, seiner
Sicherungen und von .sms-Sicherungsdateien. PFAD ist, wenn angegeben, eine
.sms-Sicherungsdatei oder der Ordner einer Telefonsicherung, der beim Start
geöffnet wird.

  --version               Version ausgeben und beenden
  --help                  diesen Text ausgeben und beenden
  --check-device-support  ausgeben, wo die Geräteunterstützung gefunden wurde,
                          und beenden (Status 1, wenn sie fehlt)
</translation>
    </message>
</context>
<context>
    <name>frame_page1</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Fertig</translation>
    </message>
</context>
<context>
    <name>frame_page2</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>4444444444444</source>
        <translation>4444444444444</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Alle löschen</translation>
    </message>
</context>
<context>
    <name>messageframe</name>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>1390000000000</source>
        <translation>1390000000000</translation>
    </message>
    <message>
        <source>2009-1-1 20:22:22</source>
        <translation>2009-1-1 20:22:22</translation>
    </message>
    <message>
        <source>See you at the station at eight tomorrow.</source>
        <translation>Wir sehen uns morgen um acht am Bahnhof.</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>smsChartCtrl</name>
    <message>
        <source>ScrollArea</source>
        <translation>ScrollArea</translation>
    </message>
</context>
<context>
    <name>views::AttachmentActions</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>%1 is not in this backup.</source>
        <translation>%1 ist nicht in dieser Sicherung enthalten.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>The attachment cannot be opened.</source>
        <translation>Der Anhang kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>No program to open %1 was found.</source>
        <translation>Es wurde kein Programm zum Öffnen von %1 gefunden.</translation>
    </message>
    <message>
        <source>Save attachment</source>
        <translation>Anhang speichern</translation>
    </message>
    <message>
        <source>The attachment could not be saved.</source>
        <translation>Der Anhang konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>This conversation has no attachments.</source>
        <translation>Diese Unterhaltung hat keine Anhänge.</translation>
    </message>
    <message>
        <source>Save all attachments</source>
        <translation>Alle Anhänge speichern</translation>
    </message>
    <message numerus="yes">
        <source>%n attachment(s) saved.</source>
        <translation>
            <numerusform>%n Anhang gespeichert.</numerusform>
            <numerusform>%n Anhänge gespeichert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not in this backup.</source>
        <translation>
            <numerusform>%n ist nicht in dieser Sicherung enthalten.</numerusform>
            <numerusform>%n sind nicht in dieser Sicherung enthalten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be saved.</source>
        <translation>
            <numerusform>%n konnte nicht gespeichert werden.</numerusform>
            <numerusform>%n konnten nicht gespeichert werden.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>views::AttachmentStrip</name>
    <message>
        <source>not in this backup</source>
        <translation>nicht in dieser Sicherung</translation>
    </message>
    <message>
        <source>Voice message</source>
        <translation>Sprachnachricht</translation>
    </message>
    <message>
        <source>Save attachment…</source>
        <translation>Anhang speichern …</translation>
    </message>
    <message>
        <source>Save all attachments…</source>
        <translation>Alle Anhänge speichern …</translation>
    </message>
</context>
<context>
    <name>views::EventText</name>
    <message>
        <source>You</source>
        <translation>Sie</translation>
    </message>
    <message>
        <source>you</source>
        <translation>Sie</translation>
    </message>
    <message>
        <source>%1 added %2</source>
        <translation>%1 hat %2 hinzugefügt</translation>
    </message>
    <message>
        <source>%1 removed %2</source>
        <translation>%1 hat %2 entfernt</translation>
    </message>
    <message>
        <source>%1 removed the conversation&apos;s name</source>
        <translation>%1 hat den Namen der Unterhaltung entfernt</translation>
    </message>
    <message>
        <source>%1 named the conversation “%2”</source>
        <translation>%1 hat die Unterhaltung „%2“ genannt</translation>
    </message>
    <message>
        <source>%1 left the conversation</source>
        <translation>%1 hat die Unterhaltung verlassen</translation>
    </message>
    <message>
        <source>%1 changed the conversation</source>
        <translation>%1 hat die Unterhaltung geändert</translation>
    </message>
</context>
<context>
    <name>xframeskin</name>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
</context>
</TS>
