#include "ui/look.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace tovrel {

namespace {

constexpr double kButtonPoints = 9.75;
constexpr double kStatusPoints = 9.75;

}  // namespace

int TwipsToPixels(const QWidget& widget, int twips) {
    return static_cast<int>(std::lround(double(twips) * widget.logicalDpiX() / kTwipsPerInch));
}

QFont ArialFont(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont ButtonFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(kButtonPoints);
    font.setBold(true);
    return font;
}

QFont StatusFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(kStatusPoints);
    return font;
}

void Colour(QWidget& widget, const QColor& text, const QColor& background) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        widget.setAutoFillBackground(true);
    }
    widget.setPalette(palette);
}

std::string UnixLineBreaks(const std::string& text, bool& lastWasCarriageReturn) {
    std::string lines;
    lines.reserve(text.size());
    for (char c : text) {
        if (c == '\n' && lastWasCarriageReturn) {
            lastWasCarriageReturn = false;
            continue;
        }
        lastWasCarriageReturn = c == '\r';
        lines.push_back(lastWasCarriageReturn ? '\n' : c);
    }
    return lines;
}

}  // namespace tovrel
