<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ByteCount</name>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>+%1</source>
        <translation>+%1</translation>
    </message>
    <message>
        <source>−%1</source>
        <translation>−%1</translation>
    </message>
</context>
<context>
    <name>DynamicStackedViewBoxAccessible</name>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <source>Scan files (*.json)</source>
        <translation>Scan-Dateien (*.json)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>FolderChooser</name>
    <message>
        <source>Select a Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>LooseFileListing</name>
    <message>
        <source>(1 file)</source>
        <translation>(1 Datei)</translation>
    </message>
    <message>
        <source>(%1 files)</source>
        <translation>(%1 Dateien)</translation>
    </message>
</context>
<context>
    <name>SystemFileManager</name>
    <message>
        <source>“%1” cannot be shown: %2</source>
        <translation>„%1“ kann nicht gezeigt werden: %2</translation>
    </message>
    <message>
        <source>no file manager is installed</source>
        <translation>kein Dateimanager ist installiert</translation>
    </message>
    <message>
        <source>“%1” cannot be opened: %2</source>
        <translation>„%1“ kann nicht geöffnet werden: %2</translation>
    </message>
</context>
<context>
    <name>TrashMover</name>
    <message>
        <source>The trash location %1 is not an absolute path</source>
        <translation>Der Papierkorb-Ort %1 ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>%1 is emptied at every restart</source>
        <translation>%1 wird bei jedem Neustart geleert</translation>
    </message>
    <message>
        <source>Not the path of an item: %1</source>
        <translation>Kein Pfad eines Objekts: %1</translation>
    </message>
    <message>
        <source>The trash holds too many items of this name</source>
        <translation>Der Papierkorb enthält zu viele Objekte dieses Namens</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>this drive has no Trash you may use</source>
        <translation>dieses Laufwerk hat keinen Papierkorb, den Sie benutzen dürfen</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>keine Berechtigung</translation>
    </message>
    <message>
        <source>the name is too long for the Trash</source>
        <translation>der Name ist zu lang für den Papierkorb</translation>
    </message>
    <message>
        <source>it no longer exists</source>
        <translation>es existiert nicht mehr</translation>
    </message>
    <message>
        <source>it could not be moved</source>
        <translation>es konnte nicht verschoben werden</translation>
    </message>
    <message>
        <source>it changed since the scan; analyze the folder to move it</source>
        <translation>es hat sich seit dem Scan verändert; analysieren Sie den Ordner, um es zu verschieben</translation>
    </message>
</context>
<context>
    <name>corvale::AnalysisSession</name>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>new</source>
        <translation>neu</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
</context>
<context>
    <name>corvale::DynamicStackedViewPopup</name>
    <message>
        <source>&lt; %1 %</source>
        <translation>&lt;&#xa0;%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
</context>
<context>
    <name>corvale::FileListModel</name>
    <message>
        <source>System file</source>
        <translation>Systemdatei</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Not checked</source>
        <translation>Nicht markiert</translation>
    </message>
    <message>
        <source>Already in the Trash</source>
        <translation>Bereits im Papierkorb</translation>
    </message>
    <message>
        <source>new</source>
        <translation>neu</translation>
    </message>
    <message>
        <source>gone</source>
        <translation>fort</translation>
    </message>
    <message>
        <source>Gone since the earlier scan</source>
        <translation>Seit dem früheren Scan nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>Files the scan does not list one by one</source>
        <translation>Dateien, die der Scan nicht einzeln aufführt</translation>
    </message>
    <message>
        <source>The scanned folder is not on this computer</source>
        <translation>Der gescannte Ordner ist nicht auf diesem Computer</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Anteil</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
</context>
<context>
    <name>corvale::FloatingWindowController</name>
    <message>
        <source>Corvale</source>
        <translation>Corvale</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Select a Folder…</source>
        <translation>Ordner &amp;auswählen …</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Corvale &amp;Web Site</source>
        <translation>Corvale im &amp;Web</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Disk Usage</source>
        <translation>&amp;Belegter Speicher</translation>
    </message>
    <message>
        <source>Show the space files take on the disk, each hard-linked file counted once</source>
        <translation>Den Platz zeigen, den die Dateien auf dem Datenträger belegen, jede mehrfach verknüpfte Datei einmal gezählt</translation>
    </message>
    <message>
        <source>Ctrl+2</source>
        <translation>Ctrl+2</translation>
    </message>
    <message>
        <source>&amp;Apparent Size</source>
        <translation>&amp;Scheinbare Größe</translation>
    </message>
    <message>
        <source>Show the length of the files</source>
        <translation>Die Länge der Dateien zeigen</translation>
    </message>
    <message>
        <source>Ctrl+1</source>
        <translation>Ctrl+1</translation>
    </message>
    <message>
        <source>&amp;Open Scan…</source>
        <translation>Scan ö&amp;ffnen …</translation>
    </message>
    <message>
        <source>Show a scan file written by ncdu, gdu or Corvale</source>
        <translation>Eine Scan-Datei von ncdu, gdu oder Corvale anzeigen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+O</source>
        <translation>Ctrl+Shift+O</translation>
    </message>
    <message>
        <source>&amp;Save Scan…</source>
        <translation>Scan &amp;speichern …</translation>
    </message>
    <message>
        <source>Keep what is shown as a scan file, to open or compare with later</source>
        <translation>Das Gezeigte als Scan-Datei aufbewahren, um es später zu öffnen oder zu vergleichen</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>&amp;Compare With Scan…</source>
        <translation>Mit Scan &amp;vergleichen …</translation>
    </message>
    <message>
        <source>Show what changed since an earlier scan of the same folder</source>
        <translation>Zeigen, was sich seit einem früheren Scan desselben Ordners geändert hat</translation>
    </message>
</context>
<context>
    <name>corvale::LargestFilesView</name>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb</translation>
    </message>
    <message>
        <source>Stop searching (Esc)</source>
        <translation>Suche anhalten (Esc)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close Largest Files</source>
        <translation>Größte Dateien schließen</translation>
    </message>
    <message>
        <source>Back to the folder&apos;s contents</source>
        <translation>Zurück zum Inhalt des Ordners</translation>
    </message>
    <message>
        <source>Largest files</source>
        <translation>Größte Dateien</translation>
    </message>
    <message>
        <source>Moves the checked files to the Trash</source>
        <translation>Verschiebt die markierten Dateien in den Papierkorb</translation>
    </message>
    <message>
        <source>The total size of the checked files</source>
        <translation>Die Gesamtgröße der markierten Dateien</translation>
    </message>
    <message>
        <source>Largest Files in “%1”</source>
        <translation>Größte Dateien in „%1“</translation>
    </message>
    <message>
        <source>Searching… Items: %1</source>
        <translation>Wird durchsucht … Objekte: %1</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Wird durchsucht …</translation>
    </message>
    <message>
        <source>Stopped after %1 items: the largest files found so far</source>
        <translation>Nach %1 Objekten angehalten: die größten bis dahin gefundenen Dateien</translation>
    </message>
    <message>
        <source>No files in this folder</source>
        <translation>Keine Dateien in diesem Ordner</translation>
    </message>
    <message>
        <source>The largest files among %1 items</source>
        <translation>Die größten Dateien unter %1 Objekten</translation>
    </message>
    <message>
        <source>%1 checked: %2</source>
        <translation>%1 markiert: %2</translation>
    </message>
    <message>
        <source>Checked for the Trash: %1</source>
        <translation>Für den Papierkorb markiert: %1</translation>
    </message>
</context>
<context>
    <name>corvale::RemovalPanel</name>
    <message>
        <source>Checked for the Trash: %1</source>
        <translation>Für den Papierkorb markiert: %1</translation>
    </message>
</context>
<context>
    <name>corvale::StorageWindowController</name>
    <message>
        <source>See where your disk space goes</source>
        <translation>Sehen Sie, wohin Ihr Speicherplatz geht</translation>
    </message>
    <message>
        <source>Choose a folder and Corvale adds up everything inside it. Each sub-folder becomes a coloured bar as wide as its share, so you can find what fills your disk and move what you no longer need to the Trash.</source>
        <translation>Wählen Sie einen Ordner, und Corvale zählt alles darin zusammen. Jeder Unterordner wird zu einem farbigen Balken, so breit wie sein Anteil: So finden Sie, was Ihre Festplatte füllt, und verschieben, was Sie nicht mehr brauchen, in den Papierkorb.</translation>
    </message>
    <message>
        <source>Select a Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>Choose another folder…</source>
        <translation>Anderen Ordner wählen …</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Analyze this folder again</source>
        <translation>Diesen Ordner erneut analysieren</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Select a Folder…</source>
        <translation>Ordner auswählen …</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb</translation>
    </message>
    <message>
        <source>Reclaimed:</source>
        <translation>Freigegeben:</translation>
    </message>
    <message>
        <source>Share how much space you reclaimed</source>
        <translation>Teilen, wie viel Platz Sie freigegeben haben</translation>
    </message>
    <message>
        <source>Share…</source>
        <translation>Teilen …</translation>
    </message>
    <message>
        <source>Analyzing...</source>
        <translation>Wird analysiert …</translation>
    </message>
    <message>
        <source>Analyzing... Items: %1</source>
        <translation>Wird analysiert … Objekte: %1</translation>
    </message>
    <message>
        <source>Items: %1</source>
        <translation>Objekte: %1</translation>
    </message>
    <message>
        <source>You&apos;re trying to move system files to trash.</source>
        <translation>Sie sind dabei, Systemdateien in den Papierkorb zu verschieben.</translation>
    </message>
    <message>
        <source>This can damage your system installation. Are you sure you want to continue?</source>
        <translation>Das kann Ihre Systeminstallation beschädigen. Möchten Sie wirklich fortfahren?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Unable to delete items</source>
        <translation>Objekte können nicht entfernt werden</translation>
    </message>
    <message>
        <source>These items cannot be deleted:

</source>
        <translation>Diese Objekte können nicht entfernt werden:

</translation>
    </message>
    <message>
        <source>Check permissions or try again later</source>
        <translation>Prüfen Sie die Zugriffsrechte oder versuchen Sie es später erneut</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Listing files…</source>
        <translation>Dateien werden aufgelistet …</translation>
    </message>
    <message>
        <source>Stop analyzing (Esc)</source>
        <translation>Analyse anhalten (Esc)</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The chosen folder and each sub-folder opened below it</source>
        <translation>Der gewählte Ordner und jeder darunter geöffnete Unterordner</translation>
    </message>
    <message>
        <source>Folder contents</source>
        <translation>Ordnerinhalt</translation>
    </message>
    <message>
        <source>Checked entries</source>
        <translation>Markierte Einträge</translation>
    </message>
    <message>
        <source>The total size of the checked entries</source>
        <translation>Die Gesamtgröße der markierten Einträge</translation>
    </message>
    <message>
        <source>Moves the checked entries to the Trash</source>
        <translation>Verschiebt die markierten Einträge in den Papierkorb</translation>
    </message>
    <message>
        <source>Space moved to the Trash since this folder was analyzed</source>
        <translation>Seit der Analyse dieses Ordners in den Papierkorb verschobener Platz</translation>
    </message>
    <message>
        <source>Reclaimed: %1</source>
        <translation>Freigegeben: %1</translation>
    </message>
    <message>
        <source>Show in File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <comment>a failed item&apos;s name and why it failed</comment>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Reading the scan... Items: %1</source>
        <translation>Scan wird gelesen … Objekte: %1</translation>
    </message>
    <message>
        <source>Reading the scan...</source>
        <translation>Scan wird gelesen …</translation>
    </message>
    <message>
        <source>an unknown date</source>
        <translation>unbekannten Datum</translation>
    </message>
    <message>
        <source>an unknown program</source>
        <translation>einem unbekannten Programm</translation>
    </message>
    <message>
        <source>End Comparison</source>
        <translation>Vergleich beenden</translation>
    </message>
    <message>
        <source>Open a Scan</source>
        <translation>Einen Scan öffnen</translation>
    </message>
    <message>
        <source>root</source>
        <comment>the name offered for a scan of the whole file system</comment>
        <translation>Wurzel</translation>
    </message>
    <message>
        <source>%1 %2.json</source>
        <comment>a saved scan&apos;s name: the folder&apos;s name and today&apos;s date</comment>
        <translation>%1 %2.json</translation>
    </message>
    <message>
        <source>Save the Scan</source>
        <translation>Den Scan speichern</translation>
    </message>
    <message>
        <source>Compare With an Earlier Scan</source>
        <translation>Mit einem früheren Scan vergleichen</translation>
    </message>
    <message>
        <source>Opened from a scan made by %1 on %2</source>
        <translation>Geöffnet aus einem Scan von %1 vom %2</translation>
    </message>
    <message>
        <source>%1. Its folder is not on this computer, so moving to the Trash is off.</source>
        <translation>%1. Sein Ordner ist nicht auf diesem Computer, daher ist das Verschieben in den Papierkorb aus.</translation>
    </message>
    <message>
        <source>The scan holds no disk usage: sizes are apparent sizes.</source>
        <translation>Der Scan enthält keinen belegten Speicher: Größen sind scheinbare Größen.</translation>
    </message>
    <message>
        <source>Reading the earlier scan…</source>
        <translation>Der frühere Scan wird gelesen …</translation>
    </message>
    <message>
        <source>Changes since the scan of %1</source>
        <translation>Änderungen seit dem Scan vom %1</translation>
    </message>
    <message>
        <source>Changes since the scan of %1, made of %2</source>
        <translation>Änderungen seit dem Scan vom %1, gemacht von %2</translation>
    </message>
    <message>
        <source>The scan could not be saved</source>
        <translation>Der Scan konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>This is not a scan file</source>
        <translation>Dies ist keine Scan-Datei</translation>
    </message>
    <message>
        <source>The scan file is of a format Corvale cannot read</source>
        <translation>Die Scan-Datei hat ein Format, das Corvale nicht lesen kann</translation>
    </message>
    <message>
        <source>The scan file is damaged</source>
        <translation>Die Scan-Datei ist beschädigt</translation>
    </message>
    <message>
        <source>The scan file is incomplete</source>
        <translation>Die Scan-Datei ist unvollständig</translation>
    </message>
    <message>
        <source>The scan file holds more than Corvale can open</source>
        <translation>Die Scan-Datei enthält mehr, als Corvale öffnen kann</translation>
    </message>
    <message>
        <source>The scan file could not be read</source>
        <translation>Die Scan-Datei konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1

%2</source>
        <comment>the file&apos;s path, and what went wrong</comment>
        <translation>%1

%2</translation>
    </message>
    <message>
        <source>%1 · Items: %2</source>
        <comment>the chosen folder&apos;s size and item count</comment>
        <translation>%1 · Objekte: %2</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message>
        <source>Largest Files</source>
        <translation>Größte Dateien</translation>
    </message>
    <message>
        <source>Largest Files in “%1”</source>
        <translation>Größte Dateien in „%1“</translation>
    </message>
    <message>
        <source>What the disk gets back</source>
        <translation>Was die Festplatte zurückbekommt</translation>
    </message>
    <message>
        <source>freed when the Trash is emptied; %1 moved is still linked elsewhere</source>
        <translation>frei, sobald der Papierkorb geleert wird; %1 davon ist anderswo noch verknüpft</translation>
    </message>
    <message>
        <source>freed when the Trash is emptied</source>
        <translation>frei, sobald der Papierkorb geleert wird</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>See where your disk space goes.</source>
        <translation>Sehen Sie, wohin Ihr Speicherplatz geht.</translation>
    </message>
    <message>
        <source>Folder to analyze at once.</source>
        <translation>Ordner, der sofort analysiert wird.</translation>
    </message>
    <message>
        <source>Give at most one folder.</source>
        <translation>Geben Sie höchstens einen Ordner an.</translation>
    </message>
    <message>
        <source>%1: no such folder</source>
        <translation>%1: Ordner nicht gefunden</translation>
    </message>
    <message>
        <source>%1 is a file, not a folder. Its folder is %2</source>
        <translation>%1 ist eine Datei, kein Ordner. Ihr Ordner ist %2</translation>
    </message>
    <message>
        <source>Give at most one scan file.</source>
        <translation>Geben Sie höchstens eine Scan-Datei an.</translation>
    </message>
    <message>
        <source>--open needs a scan file.</source>
        <translation>--open braucht eine Scan-Datei.</translation>
    </message>
    <message>
        <source>Give a folder or a scan file to open, not both.</source>
        <translation>Geben Sie einen Ordner oder eine Scan-Datei zum Öffnen an, nicht beides.</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: keine solche Datei</translation>
    </message>
    <message>
        <source>%1 is a folder, not a scan file</source>
        <translation>%1 ist ein Ordner, keine Scan-Datei</translation>
    </message>
    <message>
        <source>Show the scan file FILE (written by ncdu -o, gdu -o or Corvale).</source>
        <translation>Die Scan-Datei FILE anzeigen (geschrieben von ncdu -o, gdu -o oder Corvale).</translation>
    </message>
</context>
</TS>
