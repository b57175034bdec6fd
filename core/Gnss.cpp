#include "Gnss.hpp"

namespace quilvex {

std::string_view NameOf(Constellation system)
{
    constexpr std::array<std::string_view, kConstellations.size()> names{"gps", "glonass", "galileo", "beidou",
                                                                         "qzss"};
    return names[static_cast<std::size_t>(system)];
}

std::string_view NameOf(NmeaDialect dialect)
{
    return dialect == NmeaDialect::V23 ? "2.3" : dialect == NmeaDialect::V410 ? "4.10" : "4.11";
}

NmeaDialect SpokenDialect(const Constellations& systems, NmeaDialect asked)
{
    const bool gpsAlone = systems.size() == 1 && *systems.begin() == Constellation::Gps;
    return asked == NmeaDialect::V23 && !gpsAlone ? NmeaDialect::V411 : asked;
}

SystemNaming NamingOf(Constellation system, NmeaDialect dialect)
{
    if (dialect == NmeaDialect::V23)
        return {"GP", 0, 0, 0};
    switch (system) {
    case Constellation::Gps:
        return {"GP", 1, 1, 0};
    case Constellation::Glonass:
        return {"GL", 2, 1, 64};  // slots 1-24 as 65-88
    case Constellation::Galileo:
        return {"GA", 3, 7, 0};
    case Constellation::BeiDou:
        return {"GB", 4, 1, 0};
    case Constellation::Qzss:
        break;
    }
    return dialect == NmeaDialect::V410 ? SystemNaming{"GP", 1, 1, 0} : SystemNaming{"GQ", 5, 1, -192};
}

int ClockOf(Constellation system)
{
    return system == Constellation::Qzss ? ClockOf(Constellation::Gps) : static_cast<int>(system);
}

}  // namespace quilvex
