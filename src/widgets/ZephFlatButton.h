#pragma once

#include "FlatButtonPlacement.h"

#include <QAbstractButton>
#include <QColor>
#include <QVariantAnimation>

#include <array>
#include <optional>

namespace corvale {

// A push button that draws everything itself: a flat background with an optional border and
// rounded corners, its icon used as a mask tinted by the image colour, and its title.
//
// Each of the four colours has a normal value (button off) and a highlight value (button on),
// and every change of state fades the shown colours to the new state's values. A momentary
// button is on while it is pressed; otherwise each click toggles it (the QAbstractButton
// checked state). A press shows the new state at once; dragging out cancels the press for good,
// and the release then sends nothing; a completed press emits clicked() once. Space and Enter
// click it as any button; keyboard focus shows as a ring that stands out from the fill. A disabled button is
// drawn at half opacity and lets clicks through to whatever lies behind it. alpha() scales the whole drawing,
// for fading the button in. GUI thread only.
class ZephFlatButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(bool momentary READ isMomentary WRITE setMomentary)
    Q_PROPERTY(double onAnimateDuration READ onAnimateDuration WRITE setOnAnimateDuration)
    Q_PROPERTY(double offAnimateDuration READ offAnimateDuration WRITE setOffAnimateDuration)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)
    Q_PROPERTY(double borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(double spacing READ spacing WRITE setSpacing)
    Q_PROPERTY(QColor borderNormalColor READ borderNormalColor WRITE setBorderNormalColor)
    Q_PROPERTY(QColor borderHighlightColor READ borderHighlightColor WRITE setBorderHighlightColor)
    Q_PROPERTY(QColor backgroundNormalColor READ backgroundNormalColor WRITE setBackgroundNormalColor)
    Q_PROPERTY(
        QColor backgroundHighlightColor READ backgroundHighlightColor WRITE setBackgroundHighlightColor)
    Q_PROPERTY(QColor imageNormalColor READ imageNormalColor WRITE setImageNormalColor)
    Q_PROPERTY(QColor imageHighlightColor READ imageHighlightColor WRITE setImageHighlightColor)
    Q_PROPERTY(QColor titleNormalColor READ titleNormalColor WRITE setTitleNormalColor)
    Q_PROPERTY(QColor titleHighlightColor READ titleHighlightColor WRITE setTitleHighlightColor)
    Q_PROPERTY(int imagePosition READ imagePositionValue WRITE setImagePositionValue)
    Q_PROPERTY(bool imageHugsTitle READ imageHugsTitle WRITE setImageHugsTitle)
    Q_PROPERTY(double alpha READ alpha WRITE setAlpha)

public:
    using ImagePosition = FlatButtonPlacement::ImagePosition;
    enum ColorRole { Border, Background, Image, Title };

    explicit ZephFlatButton(QWidget *parent = nullptr);

    bool isMomentary() const { return m_momentary; }
    void setMomentary(bool momentary);
    // A press that began on the button is in progress.
    bool isMouseDown() const { return m_mouseDown; }
    // On: checked for a toggle button, pressed for a momentary one.
    bool isOn() const;

    // Seconds; zero or less changes colours at once.
    double onAnimateDuration() const { return m_onAnimateDuration; }
    void setOnAnimateDuration(double seconds) { m_onAnimateDuration = seconds; }
    double offAnimateDuration() const { return m_offAnimateDuration; }
    void setOffAnimateDuration(double seconds) { m_offAnimateDuration = seconds; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double spacing() const { return m_spacing; }
    void setSpacing(double spacing);

    // An invalid colour means no colour (transparent).
    QColor borderNormalColor() const { return m_colors[Border].normal; }
    void setBorderNormalColor(const QColor &color) { setColor(Border, false, color); }
    QColor borderHighlightColor() const { return m_colors[Border].highlight; }
    void setBorderHighlightColor(const QColor &color) { setColor(Border, true, color); }
    QColor backgroundNormalColor() const { return m_colors[Background].normal; }
    void setBackgroundNormalColor(const QColor &color) { setColor(Background, false, color); }
    QColor backgroundHighlightColor() const { return m_colors[Background].highlight; }
    void setBackgroundHighlightColor(const QColor &color) { setColor(Background, true, color); }
    QColor imageNormalColor() const { return m_colors[Image].normal; }
    void setImageNormalColor(const QColor &color) { setColor(Image, false, color); }
    QColor imageHighlightColor() const { return m_colors[Image].highlight; }
    void setImageHighlightColor(const QColor &color) { setColor(Image, true, color); }
    QColor titleNormalColor() const { return m_colors[Title].normal; }
    void setTitleNormalColor(const QColor &color) { setColor(Title, false, color); }
    QColor titleHighlightColor() const { return m_colors[Title].highlight; }
    void setTitleHighlightColor(const QColor &color) { setColor(Title, true, color); }

    ImagePosition imagePosition() const { return m_imagePosition; }
    void setImagePosition(ImagePosition position);
    bool imageHugsTitle() const { return m_imageHugsTitle; }
    void setImageHugsTitle(bool hug);

    // Opacity of the whole button, multiplied with the half opacity of a disabled button.
    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);

    // The colour drawn now, possibly on its way to the state's colour.
    QColor shownColor(ColorRole role) const { return m_colors[role].shown; }
    bool isColorAnimating(ColorRole role) const;

    // Where the image and the title are drawn now (see FlatButtonPlacement).
    std::optional<QRect> imageFrame() const;
    std::optional<QRect> titleFrame() const;
    // The keyboard focus ring: the palette's highlight, unless it is too close to the background
    // (the window fills the button with the accent colour, which is the highlight).
    QColor focusRingColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct ColorState
    {
        QColor normal;
        QColor highlight;
        QColor shown;
        QVariantAnimation *animation = nullptr;
    };

    int imagePositionValue() const { return m_imagePosition; }
    void setImagePositionValue(int position) { setImagePosition(ImagePosition(position)); }
    void setColor(ColorRole role, bool highlight, const QColor &color);
    void animateColorWithState(bool on);
    void animateColor(ColorRole role, const QColor &target, double seconds);
    void flipState();
    void cancelPress();
    FlatButtonPlacement::Input placementInput() const;
    void paintLayer(QPainter &painter) const;

    bool m_momentary = false;
    bool m_mouseDown = false;
    bool m_focusFromKeyboard = false;
    double m_onAnimateDuration = 0;
    double m_offAnimateDuration = 0;
    double m_cornerRadius = 0;
    double m_borderWidth = 0;
    double m_spacing = 0;
    double m_alpha = 1;
    ImagePosition m_imagePosition = FlatButtonPlacement::NoImage;
    bool m_imageHugsTitle = false;
    std::array<ColorState, 4> m_colors;
};

} // namespace corvale
