#pragma once

#include <string_view>

// The tick of 東京都 at 2010-09-16T04:51:35.127Z with the local clock at 13
// (Asia/Tokyo), exactly as it goes on the line: 307 bytes.
inline constexpr std::string_view kWorkedExampleTick =
    "$GPZDA,045135.12,16,09,2010,13,51*68\r\n"
    "$GPGGA,045135.12,3541.221600,N,13941.301400,E,1,08,0.9,0,M,0,M,5.0,1012*7D\r\n"
    "$GPGLL,3541.221600,N,13941.301400,E,045135.12,A,A*60\r\n"
    "$GPVTG,0,T,0,M,0,N,0,K,A*23\r\n"
    "$GPRMC,045135.12,A,3541.221600,N,13941.301400,E,000.0,000.0,160910,0,E,A*2D\r\n"
    "$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n";

// The same instant in the standard stream: talker GN at -33.8568,151.2153,58
// going 12.4 kn on course 45; then at 東京都 with no fix.
inline constexpr std::string_view kStandardExampleTick =
    "$GNZDA,045135.12,16,09,2010,00,00*70\r\n"
    "$GNGGA,045135.12,3351.40800,S,15112.91800,E,1,09,0.82,58.0,M,0.0,M,,*5A\r\n"
    "$GNGLL,3351.40800,S,15112.91800,E,045135.12,A,A*61\r\n"
    "$GNVTG,45.0,T,,M,12.4,N,22.965,K,A*2F\r\n"
    "$GNRMC,045135.12,A,3351.40800,S,15112.91800,E,12.4,45.0,160910,,,A*5F\r\n"
    "$GNGSA,A,3,03,04,07,11,12,14,19,22,23,,,,1.34,0.82,1.06*18\r\n"
    "$GPGSV,3,1,09,03,69,117,49,04,38,076,42,07,67,207,48,11,10,141,33*76\r\n"
    "$GPGSV,3,2,09,12,45,348,44,14,15,094,35,19,06,287,32,22,22,225,37*75\r\n"
    "$GPGSV,3,3,09,23,06,019,32*4E\r\n";
inline constexpr std::string_view kNoFixExampleTick =
    "$GPZDA,045135.12,16,09,2010,00,00*6E\r\n"
    "$GPGGA,045135.12,,,,,0,00,99.99,,M,,M,,*63\r\n"
    "$GPGLL,,,,,045135.12,V,N*4F\r\n"
    "$GPVTG,,T,,M,,N,,K,N*2C\r\n"
    "$GPRMC,045135.12,V,,,,,,,160910,,,N*77\r\n"
    "$GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99*30\r\n"
    "$GPGSV,2,1,07,08,12,291,,12,45,172,,13,38,310,,16,68,000,*78\r\n"
    "$GPGSV,2,2,07,19,18,248,,23,55,085,,24,29,049,*4D\r\n";
