#include "RemovalPanel.h"

#include "ByteCount.h"
#include "MediaTimingFunction.h"
#include "PathBytes.h"
#include "WorkspaceIcons.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
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
    if (m_total)
        m_total->setText(byteCountText(total));

    // Empty slots are hidden, so the total follows the last filled one.
    for (int i = 0; i < Slots; ++i) {
        QLabel *slot = m_slots[size_t(i)];
        if (!slot)
            continue;
        if (size_t(i) >= entries.size()) {
            slot->clear();
            slot->hide();
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
        slot->show();
    }
}

} // namespace corvale
