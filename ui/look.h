#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>

class QWidget;

namespace tovrel {

// The form was drawn in twips (1/1440 inch); sizes follow the screen's logical resolution so
// the window keeps its proportions at any DPI.
inline constexpr int kTwipsPerInch = 1440;
int TwipsToPixels(const QWidget& widget, int twips);

// The form's size in twips, and the controls' sizes that set its proportions.
inline constexpr int kFrameWidthTwips = 9615;
inline constexpr int kFrameHeightTwips = 7095;

inline const QColor kTitleBlue{0x00, 0x00, 0xFF};
inline const QColor kLightGrey{0xE0, 0xE0, 0xE0};
inline const QColor kDeviceRed{0xFF, 0x00, 0x00};

QFont ArialFont(double points, bool bold);
QFont ButtonFont();
QFont StatusFont();

// Sets text and background colours through the palette (the background only when valid).
void Colour(QWidget& widget, const QColor& text, const QColor& background = QColor());

// The log's CR LF line ends as one LF each. The flag carries a CR at the end of one piece
// over to the next, so a line end split between two appends still counts once.
std::string UnixLineBreaks(const std::string& text, bool& lastWasCarriageReturn);

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace tovrel
