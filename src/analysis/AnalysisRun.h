#pragma once

#include "BackgroundLink.h"
#include "FolderVisualDataDelegate.h"

#include <QByteArray>

#include <functional>
#include <memory>

namespace corvale {

class FolderVisualData;
class ScanFileReader;

// One analysis run as its background task sees it: the task body (announce the walk, walk the
// folder with the run's own scanner, or read a scan file with the run's own reader, and hand the
// tree back) and the scanner's or reader's delegate for the run. The task owns it, not the
// session, so a walk that outlives its window still has a live delegate. Every report reaches the
// session only through the link, tagged with the run's number. Reports are posted from one thread
// in the order walk started, progress, end, and the link keeps that order.
class AnalysisRun final : public FolderVisualDataDelegate
{
public:
    // Test seam, called on the reporting thread before each progress report is posted.
    using ReportHook = std::function<void(quint64 run, std::uint64_t items)>;

    // A run that walks the folder at `path`.
    AnalysisRun(std::shared_ptr<BackgroundLink> link, quint64 number,
        std::shared_ptr<FolderVisualData> scanner, QByteArray path, ReportHook hook = {});
    // A run that reads the scan file at `path`.
    AnalysisRun(std::shared_ptr<BackgroundLink> link, quint64 number, QByteArray path, ReportHook hook = {});
    ~AnalysisRun() override;

    quint64 number() const { return m_number; }
    // Any thread.
    void requestStop();

    // The task body; background thread.
    void run();
    // Announces the walk and walks; returns the tree, or nothing after a stop.
    std::shared_ptr<FolderVisualData> processVD(const QByteArray &path);

    // Any thread; returns at once.
    void updateFolderProgress(std::uint64_t items) override;

private:
    Ticket ticket() const { return {Ticket::Run, m_number}; }
    void readScanFile();

    std::shared_ptr<BackgroundLink> m_link;
    const quint64 m_number;
    std::shared_ptr<FolderVisualData> m_scanner;
    std::unique_ptr<ScanFileReader> m_reader;
    const QByteArray m_path;
    const ReportHook m_hook;
};

} // namespace corvale
