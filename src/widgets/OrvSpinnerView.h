#pragma once

#include "SpinnerLayer.h"

#include <QColor>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include <memory>

namespace corvale {

class OrvSpinnerAnimating;

// An activity indicator: an animation object, chosen by style number or given directly, fills
// the view's layer with shapes and their endless animations; the view paints them, and starts,
// pauses where they stand, resumes from that phase and recolours them.
//
// Style 10 is the nine-cube grid; every other style number gives an empty view unless an
// animator is set. The grid fills a square of spinnerSize() from the layer's origin, which is
// the bottom-left corner: a larger widget leaves its extra space above and to the right.
// A frame timer runs only while the spinner animates and is visible, so a stopped or hidden
// spinner costs nothing. GUI thread only; the view owns its layer and shares the animator.
class OrvSpinnerView : public QWidget
{
    Q_OBJECT

public:
    static constexpr double defaultSpinnerSize = 37;
    static constexpr int nineCubeGridStyle = 10;

    OrvSpinnerView(int style, const QColor &color, double spinnerSize, QWidget *parent = nullptr);
    OrvSpinnerView(int style, const QColor &color, QWidget *parent = nullptr);
    explicit OrvSpinnerView(int style, QWidget *parent = nullptr);
    // Style 1 (not provided here, so empty until a style or an animator is set); for Designer.
    explicit OrvSpinnerView(QWidget *parent = nullptr);
    OrvSpinnerView(std::shared_ptr<OrvSpinnerAnimating> animator, const QColor &color, double spinnerSize,
        QWidget *parent = nullptr);
    ~OrvSpinnerView() override;

    // Used instead of the style's animation when set.
    std::shared_ptr<OrvSpinnerAnimating> animator1() const { return m_animator1; }
    void setAnimator1(std::shared_ptr<OrvSpinnerAnimating> animator);
    int style() const { return m_style; }
    void setStyle(int style);
    double spinnerSize() const { return m_spinnerSize; }
    void setSpinnerSize(double size);
    QColor color() const { return m_color; }
    void setColor(const QColor &color) { setColor(color, false); }
    // Animated: the shapes fade from the old colour to the new one over half a second.
    void setColor(const QColor &color, bool animated);
    bool hidesWhenStopped() const { return m_hidesWhenStopped; }
    void setHidesWhenStopped(bool hides) { m_hidesWhenStopped = hides; }

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return !m_stopped; }
    bool isStopped() const { return m_stopped; }

    QSize sizeHint() const override;

    // The shapes and their time line, for those who need to know where each shape is.
    const SpinnerLayer &spinnerLayer() const { return m_layer; }
    // Tests run the spinner on their own clock; this restarts the animation. Not owned.
    void setClock(const MediaClock *clock);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void applyAnimation();
    void updateFrameTimer();
    void takeFrame();

    int m_style = 0;
    QColor m_color;
    double m_spinnerSize = defaultSpinnerSize;
    bool m_hidesWhenStopped = true;
    bool m_stopped = false;
    std::shared_ptr<OrvSpinnerAnimating> m_animator1;
    SpinnerLayer m_layer;
    double m_frameTime = 0; // the layer time the shapes are painted at
    QTimer m_frameTimer;
    QVariantAnimation m_colorChange;
};

} // namespace corvale
