// Any bytes as a GPX route and as a GPX track, through the readers the tool
// uses: points or a refusal, never a crash, and every point a possible one.
#include "GpxReader.hpp"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace quilvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    in.open(QIODevice::ReadOnly);
    const auto possible = [](const GeoPoint& p) { return std::abs(p.lat) <= 90 && std::abs(p.lon) <= 180; };
    const GpxRoute route = ReadGpxRoute(in);
    if (route.error.empty() == route.points.empty())
        std::abort();
    for (const GeoPoint& p : route.points)
        if (!possible(p))
            std::abort();
    in.seek(0);
    GpxTrack track(in);
    while (const auto fix = track.next())
        if (fix->valid && !possible(fix->place))
            std::abort();
    return 0;
}
