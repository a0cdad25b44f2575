#pragma once

#include "CorvaneApp/AppDelegate.hpp"

#include <QApplication>
#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace corvane::test {

// Relative luminance and contrast ratio as the accessibility guidelines define them.
inline double luminance(const QColor& colour)
{
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

inline double contrast(const QColor& a, const QColor& b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The app's own palette while a test draws, as the app sets it at start-up.
struct AppPalette {
    AppPalette() { QApplication::setPalette(AppDelegate::darkPalette()); }
    ~AppPalette() { QApplication::setPalette(saved); }
    QPalette saved = QApplication::palette();
};

} // namespace corvane::test
