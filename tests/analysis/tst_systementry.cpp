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
        for (const char *system :
            {"/System/Library/x", "/SystemBackup", "/Library/Caches/x", "/home", "/root", "/srv", "/opt",
                "/data", "/usr/local/bin/tool", "/etc/fstab", "/var/lib/dpkg/status", "/var/tmp",
                "/opt/browser/bin", "/lib64/ld.so", "/run/user/1000", "/run/media/u/STICK"})
            row(system, "system");
        // The user's and the administrator's own: below /srv, /var/tmp, a removable drive.
        for (const char *own : {"/system/x", "/home/u/usr", "/root/notes.txt", "/srv/www/site",
                 "/var/tmp/build", "/run/media/u/STICK/photo.jpg", "/usr-copy/x", "usr/x"})
            row(own, "");
        // In a trash: this user's (wherever XDG_DATA_HOME puts it), another user's at its usual
        // place, a drive's; and names that merely look alike.
        for (const char *trashed : {"/data/u/Trash", "/data/u/Trash/files/x",
                 "/home/bob/.local/share/Trash/files/x", "/media/u/STICK/.Trash-1000",
                 "/media/u/STICK/.Trash/1000/info/a.trashinfo", "/usr/.Trash-0/x"})
            row(trashed, "trash");
        for (const char *alike : {"/data/u/Trashy", "/home/u/.local/share/Trash-old/x",
                 "/media/u/STICK/.Trash", "/media/u/STICK/.Trash/old/x", "/home/u/.Trash-/x"})
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
