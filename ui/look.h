#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>
#include <string>

class QWidget;

namespace tovrel {

// The form was drawn in twips (1/1440 inch); sizes follow the screen's logical resolution so
// the window keeps its proportions at any DPI.
inline constexpr int kTwipsPerInch = 1440;
int TwipsToPixels(const QWidget& widget, int twips);
// Left, top, width, height in twips as pixels; the edges are rounded, so neighbours that
// touch in twips still touch.
QRect TwipsToPixels(const QWidget& widget, const QRect& twips);

// The client area of the form: the size of each of its two pages.
inline constexpr int kFrameWidthTwips = 9615;
inline constexpr int kFrameHeightTwips = 7095;

inline const QColor kTitleBlue{0x00, 0x00, 0xFF};
inline const QColor kLightGrey{0xE0, 0xE0, 0xE0};
inline const QColor kDeviceRed{0xFF, 0x00, 0x00};

// The faces the form was drawn with. Where they are missing (any Linux desktop), the
// metric-compatible Liberation faces stand in, so every caption keeps the width it was
// drawn for.
QFont ArialFont(double points, bool bold);
QFont ButtonFont();
QFont StatusFont();
// The forms' own font, for every control that names none.
QFont FormFont();

// The program's icon (packaging/tovrel.svg, built in): every window of the program shows it
// once it is the application's window icon.
QIcon ProgramIcon();

// Sets text and background colours through the palette (the background only when valid).
void Colour(QWidget& widget, const QColor& text, const QColor& background = QColor());

// Every line end as one LF: CR LF, a lone CR and a lone LF alike. The flag carries a CR at
// the end of one piece over to the next, so a line end split between two appends still
// counts once.
std::string UnixLineBreaks(const std::string& text, bool& lastWasCarriageReturn);

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace tovrel
