#include "FloatingWindowController.h"
#include "StorageWindowController.h"
#include "Translations.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace corvale;

// Run with LANG=de_DE.UTF-8 (see CMakeLists.txt): the program as a German desktop starts it.
class TestTranslations : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private Q_SLOTS:
    void initTestCase()
    {
        // The window keeps its frame in the settings: not in the user's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        if (QLocale().language() != QLocale::German)
            QSKIP("run with LANG=de_DE.UTF-8, as ctest does");
        QCOMPARE(installTranslations(), 2);
    }

    void theWindowSpeaksGerman()
    {
        FloatingWindowController window;
        auto *controller = window.storageController();
        QCOMPARE(controller->findChild<QLabel *>(QStringLiteral("welcomeTitle"))->text(),
            QStringLiteral("Sehen Sie, wohin Ihr Speicherplatz geht"));
        QCOMPARE(controller->showInFinderAction()->text(), QStringLiteral("Im Dateimanager zeigen"));
        // Numbers in the German way too.
        QCOMPARE(
            controller->findChild<QLabel *>(QStringLiteral("sizeMiddle"))->text(), QStringLiteral("1 GB"));
    }

    // Every text the program shows has its German: lupdate leaves new texts unfinished.
    void everyTextIsTranslated()
    {
        QFile file(QStringLiteral(CORVALE_SOURCE_DIR "/src/resources/translations/corvale_de.ts"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString context;
        QString source;
        int messages = 0;
        QStringList untranslated;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                ++messages;
                const bool unfinished
                    = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
                // Plural forms hold their texts in numerusform elements.
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (unfinished || text.trimmed().isEmpty())
                    untranslated << context + QLatin1String(": ") + source;
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 30);
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
