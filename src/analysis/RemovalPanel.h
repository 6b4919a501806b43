#pragma once

#include "FolderAttributes.h"
#include "Measure.h"

#include <QFrame>

#include <array>
#include <memory>
#include <vector>

class QLabel;
class QLayout;
class QPropertyAnimation;

namespace corvale {

// The panel that slides up over the bottom of the file list while entries are checked: the icons
// of the first seven checked entries (fewer where the panel is too narrow for seven) and the
// total of all of them, and the trash button beside.
// It floats over its parent (the file list's area), outside any layout, and keeps its place when
// the parent is resized. Its slots and total label come from the interface file (attach()).
// GUI thread only.
class RemovalPanel : public QFrame
{
    Q_OBJECT
    // The panel's bottom offset inside its parent: -100 out of sight, 24 shown.
    Q_PROPERTY(int trashAnimationConstrain READ trashAnimationConstrain WRITE setTrashAnimationConstrain)

public:
    static constexpr int HiddenOffset = -100;
    static constexpr int ShownOffset = 24;
    static constexpr int Slots = 7;
    static constexpr int SlideMs = 200;

    explicit RemovalPanel(QWidget *parent = nullptr);

    void attach(const std::array<QLabel *, Slots> &icons, QLabel *total);

    // Slides in over 0.2 s, easing out; nothing when it is there or on its way.
    void showTrash();
    // Out of sight at once.
    void hideTrash();
    bool isShown() const { return m_offset == ShownOffset; }
    int trashAnimationConstrain() const { return m_offset; }
    void setTrashAnimationConstrain(int offset);

    // The icons of the first seven entries and the total size of all of them in `measure`.
    void processFilesImages(const std::vector<std::shared_ptr<FolderAttributes>> &entries, Measure measure);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void showSlots();

    std::array<QLabel *, Slots> m_slots {};
    QLabel *m_total = nullptr;
    QLayout *m_iconRow = nullptr; // the slots' and the total's
    int m_filled = 0;
    QPropertyAnimation *m_animation;
    int m_offset = HiddenOffset;
};

} // namespace corvale
