#pragma once

// What a move to the trash must leave: the item gone from its place, in the trash under a name,
// with a complete record; and the items and bytes of the folders plus the trashes unchanged.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace corvale::test {

inline bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

inline QByteArray readFile(const QByteArray &path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// Items and bytes below `roots`, links not followed.
inline std::pair<int, qint64> itemsAndBytes(const QList<QByteArray> &roots)
{
    std::pair<int, qint64> sum;
    for (const QByteArray &root : roots) {
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(root.constData(), error);
             it != std::filesystem::end(it); ++it) {
            ++sum.first;
            sum.second += it->is_regular_file() && !it->is_symlink() ? qint64(it->file_size()) : 0;
        }
    }
    return sum;
}

// `path` is in `trash` as `name`, recorded as coming from `recorded`.
inline void verifyTrashed(
    const QByteArray &path, const QByteArray &trash, const QByteArray &name, const QByteArray &recorded)
{
    QVERIFY2(!exists(path) && exists(trash + "/files/" + name), name.constData());
    const QList<QByteArray> lines = readFile(trash + "/info/" + name + ".trashinfo").split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0] + '\n' + lines[1], "[Trash Info]\nPath=" + recorded.toPercentEncoding("/"));
    QVERIFY2(lines[2].startsWith("DeletionDate=")
            && QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate).isValid(),
        lines[2].constData());
}

} // namespace corvale::test
