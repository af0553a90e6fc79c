#include "ui/look.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace tovrel {

namespace {

constexpr double kButtonPoints = 9.75;
constexpr double kStatusPoints = 9.75;
constexpr double kFormPoints = 8.25;

QFont Face(const char* family, const char* standIn, QFont::StyleHint hint, double points,
           bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setFamilies({QString::fromLatin1(family), QString::fromLatin1(standIn)});
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

constexpr const char* kSansStandIn = "Liberation Sans";
constexpr const char* kSerifStandIn = "Liberation Serif";

}  // namespace

int TwipsToPixels(const QWidget& widget, int twips) {
    return static_cast<int>(std::lround(double(twips) * widget.logicalDpiX() / kTwipsPerInch));
}

QRect TwipsToPixels(const QWidget& widget, const QRect& twips) {
    const int left = TwipsToPixels(widget, twips.x());
    const int top = TwipsToPixels(widget, twips.y());
    return {left, top, TwipsToPixels(widget, twips.x() + twips.width()) - left,
            TwipsToPixels(widget, twips.y() + twips.height()) - top};
}

QFont ArialFont(double points, bool bold) {
    return Face("Arial", kSansStandIn, QFont::SansSerif, points, bold);
}

QFont ButtonFont() {
    return Face("MS Sans Serif", kSansStandIn, QFont::SansSerif, kButtonPoints, true);
}

QFont StatusFont() {
    return Face("Times New Roman", kSerifStandIn, QFont::Serif, kStatusPoints, false);
}

QFont FormFont() {
    return Face("MS Sans Serif", kSansStandIn, QFont::SansSerif, kFormPoints, false);
}

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/tovrel.svg")); }

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
