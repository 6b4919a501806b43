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
</context>
<context>
    <name>DynamicStackedViewBoxAccessible</name>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
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
    <name>SystemFileManager</name>
    <message>
        <source>“%1” cannot be shown: %2</source>
        <translation>„%1“ kann nicht gezeigt werden: %2</translation>
    </message>
    <message>
        <source>no file manager is installed</source>
        <translation>kein Dateimanager ist installiert</translation>
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
</context>
<context>
    <name>corvale::AnalysisSession</name>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
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
</context>
</TS>
