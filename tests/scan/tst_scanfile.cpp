// Scan files: exports of the terminal analysers open with the walk's totals, what Corvale writes
// reads back the same and opens in those tools, and nothing malformed gets past the reader.

#include "ScanFileReader.h"
#include "ScanFileWriter.h"
#include "TreeFixture.h"

#include <QProcess>
#include <QStandardPaths>

using namespace corvale;
using namespace corvale::test;

namespace {

// A tree with what trips up readers and writers: names that are not UTF-8 or need escaping,
// links, a hard link, a sparse file, a FIFO, an empty and an unreadable folder, a deep chain.
void makeAwkwardTree(const TempTree &tree, int chain)
{
    makeFile(tree / "\xff\xfe-caf\xe9", 3);
    makeFile(tree / "q\"uo\\te\nline", 4);
    makeFile(tree / "sparse", 5000000);
    QVERIFY(::symlink("sparse", (tree / "link").c_str()) == 0);
    QVERIFY(::symlink("nowhere", (tree / "dangling").c_str()) == 0);
    QVERIFY(::mkfifo((tree / "fifo").c_str(), 0644) == 0);
    makeFolder(tree / "empty");
    makeFolder(tree / "sub");
    makeFile(tree / "sub/data", 10, true);
    QVERIFY(::link((tree / "sub/data").c_str(), (tree / "sub/hard").c_str()) == 0);
    makeFolder(tree / "locked");
    makeFile(tree / "locked/secret", 100);
    QVERIFY(::chmod((tree / "locked").c_str(), 0) == 0);
    makeFolder(tree / "chain");
    makeChain(tree / "chain", chain);
}

// The program's path; empty when it is not installed, or under ThreadSanitizer, which cannot
// follow a fork of a process that has threads.
QString installed(const QString &program)
{
#if defined(__SANITIZE_THREAD__)
    Q_UNUSED(program);
    return {};
#else
    return QStandardPaths::findExecutable(program);
#endif
}

// What the program writes, or "failed: " and its complaint.
QByteArray run(const QString &program, const QStringList &arguments, bool mustSucceed = true)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (process.exitStatus() != QProcess::NormalExit || (mustSucceed && process.exitCode() != 0))
        return "failed: " + process.readAllStandardError();
    return process.readAllStandardOutput();
}

ScanFile readOrFail(const std::string &path)
{
    ScanFileReader reader;
    auto scan = reader.read(path);
    if (!scan)
        qWarning() << reader.error().message.c_str();
    return scan ? std::move(*scan) : ScanFile {};
}

ScanFile parse(const char *text, std::size_t chunkSize = SIZE_MAX)
{
    return ScanFileReader().readBytes(text, chunkSize).value_or(ScanFile {});
}

} // namespace

class TestScanFile : public QObject
{
    Q_OBJECT

private slots:
    void exportsAndSavesAgreeWithTheWalkAndTheTools_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("chain");
        // ncdu follows a chain past PATH_MAX; gdu stops short of it and writes names lossily.
        QTest::newRow("ncdu") << "ncdu" << 2500;
        QTest::newRow("gdu") << "gdu" << 40;
    }
    void exportsAndSavesAgreeWithTheWalkAndTheTools()
    {
        QFETCH(QString, tool);
        QFETCH(int, chain);
        TempTree tree;
        makeAwkwardTree(tree, chain);
        const std::string exported = tree.path() + ".json", saved = tree.path() + ".saved.json";
        const auto removeScans = qScopeGuard([&] {
            for (const std::string *scan : {&exported, &saved})
                ::unlink(scan->c_str());
        });
        FolderVisualData scanner;
        const auto walked = scanner.visualizePath(tree.path());

        // A walked tree keeps no files: each folder's become one summary entry, totals intact.
        ScanMetadata metadata;
        metadata.timestamp = 1700000000;
        ScanFileError error;
        QVERIFY(ScanFileWriter::write(saved, *walked, nullptr, metadata, error));
        const ScanFile fromWalk = readOrFail(saved);
        QVERIFY(fromWalk.root);
        QCOMPARE(treeDifference(*fromWalk.root, *walked), std::string());
        QCOMPARE(std::tuple(fromWalk.files.listsFiles(), fromWalk.metadata.timestamp,
                     fromWalk.files.folder(*fromWalk.root)->unlistedCount),
            std::tuple(false, metadata.timestamp, 6u));

        const QString program = installed(tool);
        if (program.isEmpty())
            QSKIP(qPrintable(tool + " is not installed (Debian package " + tool
                + ") or cannot run here: its exports and imports are not checked"));
        const QStringList import = tool == "ncdu" ? QStringList {"-f", saved.c_str(), "-o", exported.c_str()}
                                                  : QStringList {"-f", saved.c_str(), "-n", "-s", "-p"};
        QVERIFY(!run(program, import).startsWith("failed"));
        if (tool == "ncdu") // its export of what it imported has the same sizes
            QCOMPARE(readOrFail(exported).root->size(), walked->size());

        const QStringList arguments = tool == "ncdu"
            ? QStringList {"-0", "-o", exported.c_str(), tree.path().c_str()}
            : QStringList {"-n", "-p", "-o", exported.c_str(), tree.path().c_str()};
        QVERIFY(!run(program, arguments).startsWith("failed"));
        ProgressRecorder progress;
        ScanFileReader reader;
        reader.setDelegate(&progress);
        auto scan = reader.read(exported);
        QVERIFY2(scan, reader.error().message.c_str());
        QCOMPARE(scan->metadata.program, tool.toStdString());
        QVERIFY(scan->metadata.timestamp > 1600000000);
        QCOMPARE(progress.reports, std::vector<std::uint64_t> {walked->count()});
        QCOMPARE(scan->root->size(), walked->size());
        QCOMPARE(scan->root->count(), walked->count());
        if (tool == "gdu")
            return;

        // ncdu lists in the walk's order and keeps the kernel's bytes: the same tree, node by node.
        QCOMPARE(treeDifference(*scan->root, *walked, false), std::string());
        if (::geteuid() != 0) {
            QCOMPARE(scan->metadata.readErrors, 1u);
            QVERIFY(
                scan->files.folder(*childNamed(*scan->root, "locked"))->flags & LooseFileTable::ReadError);
        }
        // Disk usage as du has it: every folder's own blocks, the hard-linked file once (du
        // complains of the locked folder but counts it, as ncdu does).
        const QByteArray du = run("du", {"-s", "-B1", tree.path().c_str()}, false);
        QCOMPARE(scan->root->allocatedSize(), du.split('\t').front().toULongLong());

        // The loose files as they lie: raw names, links' own lengths, one inode for two names.
        const auto file = [&](const FolderVisualData &folder, std::string_view name) {
            const LooseFileTable::Folder *record = scan->files.folder(folder);
            for (std::size_t i = 0; record && i < record->fileCount; ++i)
                if (scan->files.file(*record, i).name == name)
                    return scan->files.file(*record, i);
            return LooseFileTable::File {};
        };
        QCOMPARE(file(*scan->root, "\xff\xfe-caf\xe9").size, 3u);
        QCOMPARE(file(*scan->root, "q\"uo\\te\nline").size, 4u);
        QCOMPARE(file(*scan->root, "link").size, 6u);
        QVERIFY(file(*scan->root, "link").flags & LooseFileTable::NotRegular);
        FolderVisualData &sub = const_cast<FolderVisualData &>(*childNamed(*scan->root, "sub"));
        QVERIFY(file(sub, "hard").flags & LooseFileTable::HardLinked);
        QCOMPARE(file(sub, "hard").inode, file(sub, "data").inode);

        // A scan with its files listed writes them back one by one, and ncdu reads them the same.
        QVERIFY(ScanFileWriter::write(saved, *scan->root, &scan->files, scan->metadata, error));
        QVERIFY(!run(program, {"-f", saved.c_str(), "-o", exported.c_str()}).startsWith("failed"));
        QCOMPARE(treeDifference(*readOrFail(exported).root, *scan->root), std::string());

        // Files moved to the trash since: that folder's files become a summary of what is left.
        sub.setSize(sub.size() - 10);
        sub.setCount(sub.count() - 1);
        const ScanFile trimmed = parse(ScanFileWriter::toBytes(*scan->root, &scan->files, {}).c_str());
        QCOMPARE(childNamed(*trimmed.root, "sub")->size(), 10u);
        QCOMPARE(trimmed.files.folder(*childNamed(*trimmed.root, "sub"))->unlistedCount, 1u);
    }

    void namesAreBytesAndFlagsAreKept()
    {
        // Raw bytes as ncdu writes them, and escapes: a surrogate pair, a lone half (U+FFFD);
        // read a byte at a time, so that every token crosses the end of a buffer.
        const ScanFile scan
            = parse("[1,2,{\"timestamp\":-5,\"extra\":[{}]},[{\"name\":\"/r//\",\"dsize\":1},"
                    "{\"name\":\"\xff\\u00e9\\ud83d\\ude00\\udc00\",\"asize\":1,\"read_error\":true},"
                    "[{\"name\":\"d\",\"read_error\":true},{\"name\":\"f\",\"asize\":2,\"dsize\":4}],"
                    "[{\"name\":\"proc\",\"excluded\":\"othfs\"}],"
                    "{\"name\":\"p\",\"excluded\":\"pattern\",\"uid\":0}],{\"future\":1}]",
                1);
        QVERIFY(scan.root);
        QCOMPARE(std::tuple(scan.root->path(), scan.metadata.timestamp),
            std::tuple(std::string("/r"), std::optional<std::int64_t>(-5)));
        QCOMPARE(std::tuple(scan.root->count(), scan.root->size(), scan.root->allocatedSize(),
                     scan.metadata.readErrors, scan.metadata.excludedEntries),
            std::tuple(5u, 3u, 5u, 2u, 2u));
        const auto *root = scan.files.folder(*scan.root);
        QCOMPARE(
            scan.files.file(*root, 0).name, std::string_view("\xff\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbd"));
        QCOMPARE(scan.files.file(*root, 1).exclusion, LooseFileTable::Exclusion::Pattern);
        // A folder that could not be read completely still counts what it holds.
        const auto &d = *(*scan.root->children())[0];
        QCOMPARE(std::tuple(d.count(), d.allocatedSize()), std::tuple(1u, 4u));
        QCOMPARE(scan.files.folder(*(*scan.root->children())[1])->exclusion,
            LooseFileTable::Exclusion::OtherFileSystem);
    }

    void malformedInputIsRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        using K = ScanFileError::Kind;
        const auto row = [](const char *tag, const QByteArray &text, K kind, const char *message) {
            QTest::newRow(tag) << text << int(kind) << QString::fromUtf8(message);
        };
        const QByteArray head = "[1,2,{},[{\"name\":\"/r\"}";
        row("empty", " \n", K::NotAScanFile, "The file is empty (line 2, column 1).");
        row("no version", "[\"a\"]", K::NotAScanFile, "format version");
        row("root is a file", "[1,0,{},{\"name\":\"/r\"}]", K::Malformed, "is a file, not a folder");
        row("relative root", "[1,0,{},[{\"name\":\"r\"}]]", K::Malformed, "not an absolute path");
        row("folder without entry", head + ",[]]]", K::Malformed,
            "Expected the folder's own entry ('{') but found ']' (line 1, column 25)");
        row("truncated", head + ",\n{\"name\":\"f\",\"asize\":1", K::Truncated,
            "expected ',' or '}' (line 2, column 22)");
        row("truncated in a string", head + ",{\"name\":\"f", K::Truncated, "inside a string");
        row("garbage after", head + "]]]", K::Malformed, "goes on after the end");
        row("number too large", head + ",{\"name\":\"f\",\"asize\":18446744073709551616}]]", K::TooLarge,
            "too large");
        row("sum too large",
            head + ",{\"name\":\"f\",\"asize\":18446744073709551615},{\"name\":\"g\",\"asize\":1}]]",
            K::TooLarge, "add up to more than 2^64");
        row("negative", head + ",{\"name\":\"f\",\"asize\":-1}]]", K::Malformed, "negative");
        row("fraction", head + ",{\"name\":\"f\",\"dsize\":1.5}]]", K::Malformed, "whole number");
        row("size as text", head + ",{\"name\":\"f\",\"asize\":\"1\"}]]", K::Malformed,
            "Expected a number but found '\"'");
        row("name as number", head + ",{\"name\":5}]]", K::Malformed, "Expected a string");
        row("duplicated key", head + ",{\"name\":\"f\",\"asize\":1,\"asize\":2}]]", K::Malformed,
            "holds \"asize\" twice");
        row("NUL in a name", head + ",{\"name\":\"a\\u0000\"}]]", K::Malformed, "NUL");
        row("unknown escape", head + ",{\"name\":\"a\\x\"}]]", K::Malformed, "unknown escape");
        row("deep unknown value", head + ",{\"name\":\"f\",\"x\":" + QByteArray(300, '['), K::TooLarge,
            "nested too deeply");
        QByteArray deep = "[1,0,{},[{\"name\":\"/r\"}";
        for (int i = 0; i < 200000; ++i)
            deep += ",[{\"name\":\"abcdefghijklmnopqrstuvwxyz\"}";
        row("deep folders", deep, K::TooLarge, "nested too deeply");
    }
    void malformedInputIsRefused()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, kind);
        QFETCH(QString, message);
        ScanFileReader reader;
        std::optional<ScanFile> scan;
        onSmallStack([&] { scan = reader.readBytes(std::string_view(text.data(), text.size())); });
        QVERIFY(!scan);
        QCOMPARE(int(reader.error().kind), kind);
        QVERIFY2(QString::fromUtf8(reader.error().message.c_str()).contains(message),
            reader.error().message.c_str());
        QVERIFY(reader.error().line >= 1);
    }

    void deepTreesAndStops()
    {
        // Thousands of levels are legal: read, and let go of, on a small stack.
        constexpr std::uint64_t levels = 5000;
        std::string text = "[1,0,{},[{\"name\":\"/r\"}";
        for (std::uint64_t i = 0; i < levels; ++i)
            text += ",[{\"name\":\"d\"},{\"name\":\"f\",\"asize\":1}";
        text += std::string(levels, ']') + "]]";
        ScanFileReader reader;
        std::optional<ScanFile> scan;
        onSmallStack([&] {
            scan = reader.readBytes(text);
            QVERIFY(scan);
            QCOMPARE(std::tuple(scan->root->count(), scan->root->size()), std::tuple(2 * levels, levels));
            scan.reset();
        });

        // The file read from a descriptor goes through many buffers; a stop ends it.
        TempTree tree;
        const std::string path = tree / "scan.json";
        QFile file(path.c_str());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.c_str()) == qint64(text.size()));
        file.close();
        QCOMPARE(readOrFail(path).root->count(), 2 * levels);
        // A FIFO nobody writes to is an empty file, not a hang.
        QVERIFY(::mkfifo((tree / "fifo").c_str(), 0644) == 0);
        QVERIFY(!reader.read(tree / "fifo"));
        QCOMPARE(reader.error().kind, ScanFileError::Kind::NotAScanFile);
        reader.requestStop();
        QVERIFY(!reader.read(path));
        QCOMPARE(reader.error().kind, ScanFileError::Kind::Stopped);
    }
};

QTEST_GUILESS_MAIN(TestScanFile)
#include "tst_scanfile.moc"
