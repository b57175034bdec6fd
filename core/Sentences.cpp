#include "Sentences.hpp"

#include <algorithm>

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

std::string_view YearOfCentury(const TimeTexts& t)
{
    const std::string_view year = t.YYYY;
    return year.size() >= 2 ? year.substr(year.size() - 2) : year;
}

// Zero-padded decimal of a value that fits the width.
void AppendPadded(std::string& text, int value, std::size_t width)
{
    const std::string digits = std::to_string(value);
    text.append(width > digits.size() ? width - digits.size() : 0, '0');
    text += digits;
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
    return Join({"ZDA,", t.hh, t.mm, t.ss, ".", t.cc, ",", t.DD, ",", t.MO, ",", t.YYYY, ",",
                 t.LH, ",", t.mm});
}

// $GPGGA,045135.12,3541.221600,N,13941.301400,E,1,08,0.9,0,M,0,M,5.0,1012*7D
std::string ComposeGGA(const TimeTexts& t, const PlaceTexts& p, std::string_view altitude)
{
    return Join({"GGA,", t.hh, t.mm, t.ss, ".", t.cc, ",", p.lat, ",", p.ns, ",", p.lon, ",", p.ew,
                 ",1,08,0.9,", altitude, ",M,0,M,5.0,1012"});
}

// $GPGLL,3541.221600,N,13941.301400,E,045135.12,A,A*60
std::string ComposeGLL(const TimeTexts& t, const PlaceTexts& p)
{
    return Join({"GLL,", p.lat, ",", p.ns, ",", p.lon, ",", p.ew, ",", t.hh, t.mm, t.ss, ".", t.cc,
                 ",A,A"});
}

// $GPVTG,0,T,0,M,0,N,0,K,A*23
std::string ComposeVTG(std::string_view course, std::string_view magnetic, std::string_view knots,
                       std::string_view kmh)
{
    return Join({"VTG,", course, ",T,", magnetic, ",M,", knots, ",N,", kmh, ",K,A"});
}

// $GPRMC,045135.12,A,3541.221600,N,13941.301400,E,000.0,000.0,160910,0,E,A*2D
std::string ComposeRMC(const TimeTexts& t, const PlaceTexts& p, std::string_view knots,
                       std::string_view course, std::string_view variation)
{
    return Join({"RMC,", t.hh, t.mm, t.ss, ".", t.cc, ",A,", p.lat, ",", p.ns, ",", p.lon, ",", p.ew, ",",
                 knots, ",", course, ",", t.DD, t.MO, YearOfCentury(t), ",", variation, ",A"});
}

// $GPZDA,045135.12,16,09,2010,00,00*6E
std::string ComposeStandardZDA(const TimeTexts& t)
{
    return Join({"ZDA,", t.hh, t.mm, t.ss, ".", t.cc, ",", t.DD, ",", t.MO, ",", t.YYYY, ",00,00"});
}

// $GPGGA,045135.12,3541.22160,N,13941.30140,E,1,07,1.17,0.0,M,0.0,M,,*65
std::string ComposeStandardGGA(const TimeTexts& t, const PlaceTexts& p, std::size_t used,
                               std::string_view hdop, std::string_view altitude)
{
    std::string count;
    AppendPadded(count, static_cast<int>(used), 2);
    return Join({"GGA,", t.hh, t.mm, t.ss, ".", t.cc, ",", p.lat, ",", p.ns, ",", p.lon, ",", p.ew, ",1,",
                 count, ",", hdop, ",", altitude, ",M,0.0,M,,"});
}

// $GPGSA,A,3,08,12,13,16,19,23,24,,,,,,2.31,1.17,1.99*05
std::string ComposeGSA(std::string_view fix, std::span<const int> prns, std::string_view dops, int systemId)
{
    std::string body = Join({"GSA,A,", fix, ","});
    for (std::size_t i = 0; i < 12; ++i) {
        if (i < prns.size())
            AppendPadded(body, prns[i], 2);
        body += ',';
    }
    body.append(dops);
    if (systemId > 0)
        body.append(",").append(std::to_string(systemId));
    return body;
}

// $GPGSV,2,1,07,08,12,291,34,12,45,172,44,13,38,310,42,16,68,000,49*74
std::vector<std::string> ComposeGSVGroup(std::span<const GsvSatellite> inView, int signalId)
{
    const std::size_t count = std::max<std::size_t>(1, (inView.size() + 3) / 4);
    std::vector<std::string> group;
    for (std::size_t n = 0; n < count; ++n) {
        std::string body = Join({"GSV,", std::to_string(count), ",", std::to_string(n + 1), ","});
        AppendPadded(body, static_cast<int>(inView.size()), 2);
        for (std::size_t i = 4 * n; i < std::min(inView.size(), 4 * n + 4); ++i) {
            const GsvSatellite& s = inView[i];
            body += ',';
            AppendPadded(body, s.prn, 2);
            body += ',';
            AppendPadded(body, s.elevation, 2);
            body += ',';
            AppendPadded(body, s.azimuth, 3);
            body += ',';
            if (s.snr > 0)
                AppendPadded(body, s.snr, 2);
        }
        if (signalId > 0)
            body.append(",").append(std::to_string(signalId));
        group.push_back(std::move(body));
    }
    return group;
}

// $GPGGA,045135.12,,,,,0,00,99.99,,M,,M,,*63
std::string ComposeNoFixGGA(const TimeTexts& t)
{
    return Join({"GGA,", t.hh, t.mm, t.ss, ".", t.cc, ",,,,,0,00,99.99,,M,,M,,"});
}

// $GPGLL,,,,,045135.12,V,N*4F
std::string ComposeNoFixGLL(const TimeTexts& t)
{
    return Join({"GLL,,,,,", t.hh, t.mm, t.ss, ".", t.cc, ",V,N"});
}

// $GPVTG,,T,,M,,N,,K,N*2C
std::string ComposeNoFixVTG()
{
    return "VTG,,T,,M,,N,,K,N";
}

// $GPRMC,045135.12,V,,,,,,,160910,,,N*77
std::string ComposeNoFixRMC(const TimeTexts& t)
{
    return Join({"RMC,", t.hh, t.mm, t.ss, ".", t.cc, ",V,,,,,,,", t.DD, t.MO, YearOfCentury(t), ",,,N"});
}

}  // namespace quilvex
