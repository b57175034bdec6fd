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
