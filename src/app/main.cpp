#include "AppDelegate.h"
#include "BackgroundLink.h"
#include "CommandLine.h"
#include "Config.h"
#include "FloatingWindowController.h"
#include "StorageWindowController.h"
#include "Translations.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QThreadPool>

#include <cstdio>
#include <cstring>
#include <memory>

// --help and --version print and exit: they must work where no display is at hand.
static bool wantsTextOnly(int argc, char **argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        for (const char *option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int main(int argc, char **argv)
{
    // A folder or scan file argument that cannot be used ends in text too, whether or not there is
    // a display.
    const bool textOnly = wantsTextOnly(argc, argv)
        || (!corvale::hasOptions(argc, argv)
            && (!corvale::folderArgument(corvale::positionalArguments(argc, argv)).error.isEmpty()
                || !corvale::scanArgument(argc, argv).error.isEmpty()));
    const std::unique_ptr<QCoreApplication> application = textOnly
        ? std::make_unique<QCoreApplication>(argc, argv)
        : std::make_unique<QApplication>(argc, argv);
    QCoreApplication &app = *application;
    QCoreApplication::setOrganizationName(QStringLiteral("Corvale"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvale"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVALE_VERSION));
    corvale::installTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate("main", "See where your disk space goes."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
        QCoreApplication::translate("main", "Folder to analyze at once."), QStringLiteral("[FOLDER]"));
    parser.addOption({QStringLiteral("open"),
        QCoreApplication::translate(
            "main", "Show the scan file FILE (written by ncdu -o, gdu -o or Corvale)."),
        QStringLiteral("FILE")});
    parser.process(app);

    // The application has taken its own options out of argv.
    const corvale::FolderArgument argument
        = corvale::folderArgument(corvale::positionalArguments(argc, argv));
    const corvale::ScanArgument scan = corvale::scanArgument(argc, argv);
    for (const QString &error : {argument.error, scan.error}) {
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
    }
    const QByteArray folder = argument.folder;

    // Without a desktop theme (a bare X server) the buttons' theme icons come from Adwaita.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));

    // Wayland compositors find the window's icon through the desktop file.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(corvale::applicationId));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(corvale::applicationId),
        QIcon(QStringLiteral(":/corvale/app.corvale.Corvale.svg"))));

    int status = 0;
    {
        corvale::AppDelegate delegate;
        corvale::FloatingWindowController window;
        QObject::connect(window.webAction(), &QAction::triggered, &delegate, &corvale::AppDelegate::webBtn);
        window.show();
        if (!folder.isEmpty())
            window.storageController()->openFolder(folder);
        else if (!scan.file.isEmpty())
            window.storageController()->openScanFile(scan.file);
        delegate.applicationDidFinishLaunching();
        status = QCoreApplication::exec();
    }
    // The window asked a running walk to stop; let it end before the application goes away (but not
    // wait for ever on a listing stuck on a dead mount).
    corvale::backgroundPool()->waitForDone(5000);
    return status;
}
