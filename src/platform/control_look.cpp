#include "platform/control_look.h"

#include <QAbstractButton>
#include <QPalette>
#include <cmath>

namespace platform {
namespace {

// Relative luminance, from channels taken back to linear light.
double luminance(const QColor& c) {
    const auto linear = [](double v) { return std::pow(v, 2.2); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

void applyCheckedTint(QAbstractButton* button, bool checked) {
    if (!checked) {
        // Back to the palette the button inherits.
        button->setPalette(QPalette());
        return;
    }
    QPalette palette =
        button->parentWidget() ? button->parentWidget()->palette() : button->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor tint = mixed(palette.color(group, QPalette::Highlight),
                                  palette.color(group, QPalette::Button), 0.55);
        palette.setColor(group, QPalette::Button, tint);
    }
    button->setPalette(palette);
}

} // namespace

QColor mixed(const QColor& a, const QColor& b, double share) {
    const auto channel = [share](double x, double y) { return x * share + y * (1.0 - share); };
    return QColor::fromRgbF(float(channel(a.redF(), b.redF())),
                            float(channel(a.greenF(), b.greenF())),
                            float(channel(a.blueF(), b.blueF())));
}

QColor unfocusedSelection(const QPalette& palette) {
    const QColor active = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor inactive = palette.color(QPalette::Inactive, QPalette::Highlight);
    if (inactive != active)
        return inactive;
    return mixed(active, palette.color(QPalette::Active, QPalette::Base), 0.4);
}

QColor unfocusedSelectionText(const QPalette& palette) {
    const QColor background = unfocusedSelection(palette);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor highlighted = palette.color(QPalette::Active, QPalette::HighlightedText);
    return contrast(text, background) >= contrast(highlighted, background) ? text : highlighted;
}

void showCheckedState(QAbstractButton* button) {
    applyCheckedTint(button, button->isChecked());
    QObject::connect(button, &QAbstractButton::toggled, button,
                     [button](bool checked) { applyCheckedTint(button, checked); });
}

} // namespace platform
