#include "RemovalPanel.h"

#include "ByteCount.h"
#include "MediaTimingFunction.h"
#include "PathBytes.h"
#include "WorkspaceIcons.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QPropertyAnimation>

namespace corvale {

RemovalPanel::RemovalPanel(QWidget *parent)
    : QFrame(parent)
    , m_animation(new QPropertyAnimation(this, "trashAnimationConstrain", this))
{
    m_animation->setDuration(SlideMs);
    m_animation->setEasingCurve(MediaTimingFunction::easeOut());
    if (parent)
        parent->installEventFilter(this);
}

void RemovalPanel::attach(const std::array<QLabel *, Slots> &icons, QLabel *total)
{
    m_slots = icons;
    m_total = total;
    for (int i = 0; layout() && i < layout()->count(); ++i) {
        if (QLayout *row = layout()->itemAt(i)->layout(); row && row->indexOf(total) >= 0)
            m_iconRow = row;
    }
    place();
}

void RemovalPanel::showTrash()
{
    const bool goingThere = m_animation->state() == QAbstractAnimation::Running
        && m_animation->endValue().toInt() == ShownOffset;
    if (goingThere || (m_animation->state() != QAbstractAnimation::Running && m_offset == ShownOffset))
        return;
    m_animation->stop();
    m_animation->setStartValue(m_offset);
    m_animation->setEndValue(ShownOffset);
    m_animation->start();
}

void RemovalPanel::hideTrash()
{
    m_animation->stop();
    setTrashAnimationConstrain(HiddenOffset);
}

void RemovalPanel::setTrashAnimationConstrain(int offset)
{
    m_offset = offset;
    place();
}

void RemovalPanel::place()
{
    QWidget *area = parentWidget();
    if (!area)
        return;
    const int margin = 16;
    const int width = qMin(area->width() - 2 * margin, 460);
    const int height = sizeHint().height();
    setGeometry((area->width() - width) / 2, area->height() - m_offset - height, width, height);
    // Out of sight it must not take the keyboard focus either.
    setVisible(m_offset > -height);
    showSlots();
}

void RemovalPanel::showSlots()
{
    // As many of the filled slots as leave room for the total after them: a narrow window shows
    // fewer icons, never a cut total.
    int fit = Slots;
    if (m_total && m_iconRow && m_slots[0]) {
        const QMargins margins = layout()->contentsMargins();
        const int room = width() - margins.left() - margins.right() - m_total->sizeHint().width();
        fit = std::clamp(room / (m_slots[0]->minimumWidth() + m_iconRow->spacing()), 0, Slots);
    }
    for (int i = 0; i < Slots; ++i) {
        if (m_slots[size_t(i)])
            m_slots[size_t(i)]->setVisible(i < std::min(m_filled, fit));
    }
}

bool RemovalPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QFrame::eventFilter(watched, event);
}

void RemovalPanel::processFilesImages(
    const std::vector<std::shared_ptr<FolderAttributes>> &entries, Measure measure)
{
    quint64 total = 0;
    for (const auto &entry : entries)
        total += sizeIn(measure, *entry);
    if (m_total) {
        m_total->setText(byteCountText(total));
        m_total->setAccessibleName(tr("Checked for the Trash: %1").arg(m_total->text()));
    }

    // Empty slots are hidden, so the total follows the last filled one.
    m_filled = int(std::min(entries.size(), size_t(Slots)));
    for (int i = 0; i < Slots; ++i) {
        QLabel *slot = m_slots[size_t(i)];
        if (!slot)
            continue;
        if (i >= m_filled) {
            slot->clear();
            continue;
        }
        const auto &entry = entries[size_t(i)];
        const qreal ratio = slot->devicePixelRatioF();
        QPixmap image = iconForEntry(bytes(entry->path), entry->isDir).pixmap(slot->size(), ratio);
        // Some themes have a type's icon only in smaller sizes: all slots show the same size.
        if (!image.isNull() && image.deviceIndependentSize().width() < slot->width()) {
            image = image.scaled(slot->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(ratio);
        }
        slot->setPixmap(image);
        slot->setToolTip(QFile::decodeName(bytes(entry->name)));
        slot->setAccessibleName(slot->toolTip());
    }
    showSlots();
}

} // namespace corvale
