#pragma once

#include "AnalysisSession.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace corvale {

class RightClickTable;

// The Largest Files view: the session's list of the largest files below a folder, with where
// each lies and its size, the search's progress with a stop while it runs, and a trash button for
// the checked files. It shows what the session holds and asks the window for the rest (moving to
// the trash, closing): trashRequested() and the close button's session->closeLargestFiles(). The
// table's context menu is the window's. GUI thread only; the session is not owned.
class LargestFilesView : public QWidget
{
    Q_OBJECT
public:
    explicit LargestFilesView(AnalysisSession *session, QWidget *parent = nullptr);

    RightClickTable *table() const { return m_table; }
    QPushButton *stopButton() const { return m_stopButton; }
    QToolButton *closeButton() const { return m_closeButton; }
    QPushButton *trashButton() const { return m_trashButton; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *statusLabel() const { return m_status; }
    // What Tab visits here, in reading order.
    QList<QWidget *> focusOrder() const;

Q_SIGNALS:
    // The trash button or Delete: move these, the checked files.
    void trashRequested(const corvale::AnalysisSession::Entries &entries);

private:
    void showSearch();
    void showChecked();

    AnalysisSession *m_session;
    QLabel *m_title;
    QLabel *m_status;
    QPushButton *m_stopButton;
    QToolButton *m_closeButton;
    RightClickTable *m_table;
    QLabel *m_checked;
    QPushButton *m_trashButton;
};

} // namespace corvale
