#pragma once

#include <QRect>
#include <QSize>

namespace quilvex {

// Positions as designed, in twips; 15 twips make one pixel at 96 dpi.
struct TwipRect {
    int left, top, width, height;
};

inline constexpr int kTwipsPerPixel = 15;

inline constexpr QSize ToPixels(int widthTwips, int heightTwips)
{
    return {widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel};
}

inline QRect ToPixels(const TwipRect& r)
{
    auto px = [](int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; };
    return {px(r.left), px(r.top), px(r.width), px(r.height)};
}

inline constexpr QSize kClientArea = ToPixels(4365, 2460);

//                                         left   top  width height
inline constexpr TwipRect kCmbPref   = {1200,  840, 2895, 300};
inline constexpr TwipRect kCmbBPS    = {1200,  480, 1215, 300};
inline constexpr TwipRect kCmbCOM    = {1200,  120, 1215, 300};
inline constexpr TwipRect kCmdStart  = { 240, 1920, 1815, 255};
inline constexpr TwipRect kCmdStop   = {2160, 1920, 1815, 255};
inline constexpr TwipRect kLabel1    = {1200, 1240,  495, 255};
inline constexpr TwipRect kLabel2    = {1200, 1600,  495, 255};
inline constexpr TwipRect kLabel3    = {1920, 1200, 2055, 255};
inline constexpr TwipRect kLabel4    = {1920, 1560, 2055, 255};
inline constexpr TwipRect kLabel5    = { 120,  160,  975, 255};
inline constexpr TwipRect kLabel6    = { 360,  520,  495, 255};
inline constexpr TwipRect kLabel7    = { 360, 1000,  615, 255};
inline constexpr TwipRect kLabel8    = {2520,  520,  495, 255};

}  // namespace quilvex
