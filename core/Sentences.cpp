#include "Sentences.hpp"

namespace quilvex {
namespace {

std::string Join(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    std::string text;
    text.reserve(size);
    for (std::string_view piece : pieces)
        text.append(piece);
    return text;
}

}  // namespace

std::uint8_t NmeaChecksum(std::string_view body)
{
    std::uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::string FrameSentence(std::string_view body)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint8_t sum = NmeaChecksum(body);
    std::string framed;
    framed.reserve(body.size() + 6);
    framed += '$';
    framed.append(body);
    framed += '*';
    framed += kHex[sum >> 4];
    framed += kHex[sum & 0x0F];
    framed += "\r\n";
    return framed;
}

// $GPZDA,045135.12,16,09,2010,13,51*68
std::string ComposeZDA(const TimeTexts& t)
{
    return Join({"GPZDA,", t.hh, t.mm, t.ss, ".", t.cc, ",", t.DD, ",", t.MO, ",", t.YYYY, ",",
                 t.LH, ",", t.mm});
}

// $GPGGA,045135.12,3541.221600,N,13941.301400,E,1,08,0.9,0,M,0,M,5.0,1012*7D
std::string ComposeGGA(const TimeTexts& t, std::string_view lat, std::string_view lon)
{
    return Join({"GPGGA,", t.hh, t.mm, t.ss, ".", t.cc, ",", lat, ",N,", lon, ",E,",
                 "1,08,0.9,0,M,0,M,5.0,1012"});
}

// $GPGLL,3541.221600,N,13941.301400,E,045135.12,A,A*60
std::string ComposeGLL(const TimeTexts& t, std::string_view lat, std::string_view lon)
{
    return Join({"GPGLL,", lat, ",N,", lon, ",E,", t.hh, t.mm, t.ss, ".", t.cc, ",A,A"});
}

// $GPVTG,0,T,0,M,0,N,0,K,A*23
std::string ComposeVTG()
{
    return "GPVTG,0,T,0,M,0,N,0,K,A";
}

// $GPRMC,045135.12,A,3541.221600,N,13941.301400,E,000.0,000.0,160910,0,E,A*2D
std::string ComposeRMC(const TimeTexts& t, std::string_view lat, std::string_view lon)
{
    const std::string_view year = t.YYYY;
    const std::string_view yy = year.size() >= 2 ? year.substr(year.size() - 2) : year;
    return Join({"GPRMC,", t.hh, t.mm, t.ss, ".", t.cc, ",A,", lat, ",N,", lon,
                 ",E,000.0,000.0,", t.DD, t.MO, yy, ",0,E,A"});
}

}  // namespace quilvex
