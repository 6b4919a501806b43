// The entries the file list refuses to check: the operating system's own (the program is often
// run as root on "/"), and what already lies in a trash.

#include "FileListModel.h"
#include "SystemEntry.h"

#include <QTest>

using namespace corvale;

class TestSystemEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_DATA_HOME", "/data/u"); }

    void theListRefusesSystemAndTrashedEntries_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("refused"); // "system", "trash" or "" (the user's)
        auto row = [](const char *path, const char *refused) {
            QTest::newRow(path) << QByteArray(path) << QString(refused);
        };
        // The design's prefixes, plain and case-sensitive.
        row("/System/Library/x", "system");
        row("/SystemBackup", "system");
        row("/Library/Caches/x", "system");
        row("/system/x", "");
        // Every entry directly in "/".
        for (const char *top : {"/home", "/root", "/srv", "/opt", "/var", "/tmp", "/data", "/swapfile"})
            row(top, "system");
        // Below the folders of the system and its package manager: /opt's packages included.
        for (const char *below :
            {"/usr/share/doc", "/usr/local/bin/tool", "/etc/fstab", "/var/log/syslog", "/var/lib/dpkg/status",
                "/var/tmp", "/opt/browser/bin", "/boot/vmlinuz", "/lib64/ld.so", "/libx32/x",
                "/run/user/1000", "/proc/1", "/snap/core/x", "/run/media/u", "/run/media/u/STICK"})
            row(below, "system");
        // The user's and the administrator's own.
        for (const char *own : {"/home/u/usr", "/home/u/Library/x", "/root/notes.txt", "/srv/www/site",
                 "/var/tmp/build", "/tmp/x", "/media/u/STICK/x", "/mnt/backup/x",
                 "/run/media/u/STICK/photo.jpg", "/etcetera/x", "/usr-copy/x", "usr/x"})
            row(own, "");
        // In a trash: this user's (wherever XDG_DATA_HOME puts it), another user's at its usual
        // place, a drive's.
        for (const char *trashed : {"/data/u/Trash", "/data/u/Trash/files/x",
                 "/home/bob/.local/share/Trash/files/x", "/media/u/STICK/.Trash-1000",
                 "/media/u/STICK/.Trash-1000/files/a", "/media/u/STICK/.Trash/1000",
                 "/media/u/STICK/.Trash/1000/info/a.trashinfo", "/usr/.Trash-0/x"})
            row(trashed, "trash");
        for (const char *alike :
            {"/data/u/Trashy", "/home/u/.local/share/Trash-old/x", "/media/u/STICK/.Trash",
                "/media/u/STICK/.Trash-old/x", "/media/u/STICK/.Trash/old/x", "/home/u/.Trash-/x"})
            row(alike, "");
    }
    void theListRefusesSystemAndTrashedEntries()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, refused);
        QCOMPARE(isInTrash(path, "/data/u/Trash"), refused == "trash");
        if (refused != "trash")
            QCOMPARE(isSystemEntry(path), refused == "system");

        auto entry = std::make_shared<FolderAttributes>();
        entry->path = path.toStdString();
        entry->name = path.mid(path.lastIndexOf('/') + 1).toStdString();
        FileListModel model;
        model.setItems({entry}, [](const FileListModel::Entry &) { return true; });
        const QModelIndex name = model.index(0, FileListModel::NameColumn);
        QCOMPARE(name.data(Qt::ToolTipRole).toString(),
            refused == "trash"        ? "Already in the Trash"
                : refused == "system" ? "System file"
                                      : "");
        QCOMPARE(model.isChecked(0), refused.isEmpty());
        QCOMPARE(model.setChecked(0, false), refused.isEmpty());
        QCOMPARE(model.setData(name, Qt::Checked, Qt::CheckStateRole), refused.isEmpty());
        QCOMPARE(model.isChecked(0), refused.isEmpty());
    }
};

QTEST_MAIN(TestSystemEntry)
#include "tst_systementry.moc"
