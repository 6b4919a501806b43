// What grew since an earlier scan: folders matched by name from the roots down, files per
// folder, and what the earlier scan had that is gone.

#include "ScanFileReader.h"
#include "ScanFileWriter.h"
#include "TreeComparison.h"

#include <QtTest>

using namespace corvale;

namespace {

ScanFile parse(const char *text)
{
    ScanFileReader reader;
    auto scan = reader.readBytes(text);
    return scan ? std::move(*scan) : ScanFile {};
}

const FolderVisualData &child(const FolderVisualData &node, std::size_t i)
{
    return *(*node.children())[i];
}

} // namespace

class TestTreeComparison : public QObject
{
    Q_OBJECT

private slots:
    void changesSinceAnEarlierScan()
    {
        // The same folder, scanned where it had another path.
        const ScanFile earlier
            = parse("[1,2,{},[{\"name\":\"/old/home\"},"
                    "{\"name\":\"kept\",\"asize\":10},{\"name\":\"gone.txt\",\"asize\":7},"
                    "[{\"name\":\"docs\"},{\"name\":\"a\",\"asize\":100},"
                    "[{\"name\":\"deep\"},{\"name\":\"x\",\"asize\":1}]],"
                    "[{\"name\":\"vanished\"},{\"name\":\"v\",\"asize\":50},{\"name\":\"w\",\"asize\":5}]]]");
        const ScanFile current
            = parse("[1,2,{},[{\"name\":\"/home\"},"
                    "{\"name\":\"kept\",\"asize\":12},{\"name\":\"new.txt\",\"asize\":3},"
                    "[{\"name\":\"fresh\"},{\"name\":\"n\",\"asize\":1}],"
                    "[{\"name\":\"docs\"},{\"name\":\"a\",\"asize\":300},[{\"name\":\"deep\"}]]]]");
        QVERIFY(earlier.root && current.root);
        const TreeComparison comparison(earlier, *current.root);
        const FolderVisualData &docs = child(*current.root, 1);
        QCOMPARE(comparison.earlierOf(*current.root), earlier.root.get());
        QCOMPARE(comparison.earlierOf(docs), &child(*earlier.root, 0));
        QCOMPARE(comparison.earlierOf(child(docs, 0))->size(), 1u);
        QVERIFY(!comparison.earlierOf(child(*current.root, 0)));

        auto changes = comparison.changesIn(*current.root, current.files);
        QVERIFY(changes.filesKnown);
        QCOMPARE(changes.earlierFiles.size(), 2u);
        QCOMPARE(changes.earlierFiles[0]->size, 10u);
        QVERIFY(!changes.earlierFiles[1]);
        QCOMPARE(changes.gone.size(), 2u);
        QCOMPARE(changes.gone[0].name, std::string("vanished"));
        QVERIFY(changes.gone[0].isFolder);
        QCOMPARE(changes.gone[0].size, 55u);
        QCOMPARE(changes.gone[0].count, 3u);
        QCOMPARE(changes.gone[1].name, std::string("gone.txt"));
        QCOMPARE(changes.gone[1].size, 7u);

        // A walked tree's files come from a listing; a new folder has no earlier anything.
        changes = comparison.changesIn(child(docs, 0), {"x", "y"});
        QCOMPARE(changes.earlierFiles[0]->size, 1u);
        QVERIFY(!changes.earlierFiles[1]);
        QVERIFY(changes.gone.empty());
        changes = comparison.changesIn(child(*current.root, 0), current.files);
        QVERIFY(!changes.earlier && changes.earlierFiles.empty() && changes.gone.empty());

        // An earlier scan saved from a walk knows its files' totals only: none is new or gone.
        const ScanFile summarised = parse(ScanFileWriter::toBytes(*earlier.root, nullptr, {}).c_str());
        const TreeComparison fromSummary(summarised, *current.root);
        changes = fromSummary.changesIn(*current.root, current.files);
        QVERIFY(!changes.filesKnown && changes.earlierFiles.empty());
        QCOMPARE(changes.gone.size(), 1u);
        QCOMPARE(changes.gone[0].name, std::string("vanished"));
    }
};

QTEST_GUILESS_MAIN(TestTreeComparison)
#include "tst_treecomparison.moc"
