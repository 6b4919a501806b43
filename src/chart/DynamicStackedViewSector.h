#pragma once

#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QString>

#include <memory>
#include <typeinfo>
#include <vector>

namespace corvale {

// One sector of a stacked bar: its share, colours, texts, context menu and the caller's object.
// Shared between the caller's row model and the bar's boxes as std::shared_ptr; two records are
// the same sector only if they are the same object. GUI thread only. A new record has share 0,
// invalid (clear) colours, null texts, no menu, no object and every flag false.
class DynamicStackedViewSector
{
public:
    float sectorPercentage() const { return m_sectorPercentage; }
    void setSectorPercentage(float share) { m_sectorPercentage = share; }

    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }
    QColor highlightColor() const { return m_highlightColor; }
    void setHighlightColor(const QColor &color) { m_highlightColor = color; }

    // A null string means "no text"; the bar shows it as "".
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString subtitle() const { return m_subtitle; }
    void setSubtitle(const QString &subtitle) { m_subtitle = subtitle; }
    // A further text the label shows after the size and share ("+1.2 GB"); null for none.
    QString change() const { return m_change; }
    void setChange(const QString &change) { m_change = change; }

    // Not owned: one menu usually serves every sector of a window, prepared for the sector
    // by DynamicStackedViewDelegate::willOpenMenuForSector before it opens.
    QMenu *submenu() const { return m_submenu; }
    void setSubmenu(QMenu *menu) { m_submenu = menu; }

    std::shared_ptr<void> representedObject() const { return m_representedObject; }
    template<class T>
    void setRepresentedObject(std::shared_ptr<T> object)
    {
        m_representedType = object ? &typeid(T) : nullptr;
        m_representedObject = std::move(object);
    }
    // The object as the type it was stored with, or null if it was stored as another type.
    template<class T>
    std::shared_ptr<T> represented() const
    {
        if (!m_representedType || *m_representedType != typeid(T))
            return {};
        return std::static_pointer_cast<T>(m_representedObject);
    }

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isDisabled() const { return m_disabled; }
    void setDisabled(bool disabled) { m_disabled = disabled; }
    bool noHint() const { return m_noHint; }
    void setNoHint(bool noHint) { m_noHint = noHint; }

private:
    float m_sectorPercentage = 0.0f;
    QColor m_color;
    QColor m_highlightColor;
    QString m_title;
    QString m_subtitle;
    QString m_change;
    QPointer<QMenu> m_submenu;
    std::shared_ptr<void> m_representedObject;
    const std::type_info *m_representedType = nullptr;
    bool m_selected = false;
    bool m_disabled = false;
    bool m_noHint = false;
};

// A bar's sectors in display order, left to right.
using Sectors = std::vector<std::shared_ptr<DynamicStackedViewSector>>;

} // namespace corvale
