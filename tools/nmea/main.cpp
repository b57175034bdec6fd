#include "ConsolePlatform.hpp"
#include "NmeaOptions.hpp"
#include "PrefectureTable.hpp"
#include "TickRunner.hpp"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>

using namespace quilvex;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    UseBinaryStandardOutput();

    const NmeaCommand command = ParseNmeaCommand(QCoreApplication::arguments());
    switch (command.action) {
    case NmeaCommand::Action::Fail:
        std::fprintf(stderr, "%s\n", command.text.c_str());
        return 2;
    case NmeaCommand::Action::Help:
    case NmeaCommand::Action::Version:
        std::fputs(command.text.c_str(), stdout);
        return 0;
    case NmeaCommand::Action::List:
        for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
            const PrefectureRow& row = PrefectureTable[slot];
            std::printf("%d\t%.*s\t%.*s\t%.*s\n", slot, int(row.name.size()), row.name.data(),
                        int(row.lat.size()), row.lat.data(), int(row.lon.size()), row.lon.data());
        }
        return 0;
    case NmeaCommand::Action::Run:
        break;
    }

    TickRunner runner(command.options);
    QuitOnStopSignal(&runner, "stop");
    // Exit codes set before the loop starts would be lost, so start inside it.
    QTimer::singleShot(0, &runner, &TickRunner::start);
    return QCoreApplication::exec();
}
