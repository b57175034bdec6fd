#include "ConsolePlatform.hpp"
#include "NmeaOptions.hpp"
#include "PortListing.hpp"
#include "PortOutput.hpp"
#include "ProcessSignals.hpp"
#include "PrefectureTable.hpp"
#include "StdoutOutput.hpp"
#include "TcpOutput.hpp"
#include "NmeaInvocation.hpp"
#include "UdpOutput.hpp"
#ifndef _WIN32
#include "PtyOutput.hpp"
#endif

#include <QCoreApplication>
#include <QTimer>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

using namespace quilvex;

namespace {

// Help and lists obey the same rule as ticks: a failed write is an error.
bool g_stdoutOpen = true;

int PrintToStandardOutput(const std::string& text)
{
    if (!g_stdoutOpen) {
        std::fputs("quilvex-nmea: cannot write to standard output: it is closed\n", stderr);
        return kExitOutputFailed;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "quilvex-nmea: cannot write to standard output: %s\n", std::strerror(errno));
        return kExitOutputFailed;
    }
    return kExitDone;
}

std::string SlotList()
{
    std::string text;
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const PrefectureRow& row = PrefectureTable[slot];
        text += std::to_string(slot);
        for (const std::string_view field : {row.name, row.lat, row.lon, row.latin})
            text.append("\t").append(field);
        text += "\n";
    }
    return text;
}

// Column names for a person; a program reading the list gets rows only.
std::string Header(const char* names)
{
    return StandardOutputIsTerminal() ? names : "";
}

std::vector<std::unique_ptr<TickOutput>> OutputsOf(const NmeaOptions& o)
{
    std::vector<std::unique_ptr<TickOutput>> outputs;
    for (const Destination& d : o.destinations) {
        switch (d.kind) {
        case Destination::Kind::SerialPort:
            outputs.push_back(MakePortOutput(QString::fromStdString(d.given), QString::fromStdString(o.rate)));
            break;
        case Destination::Kind::Tcp:
            outputs.push_back(std::make_unique<TcpOutput>(d.given, d.address));
            break;
        case Destination::Kind::Udp:
            outputs.push_back(std::make_unique<UdpOutput>(d.text(), d.address));
            break;
        case Destination::Kind::VirtualPort:
#ifndef _WIN32
            outputs.push_back(std::make_unique<PtyOutput>(d.given));
#endif
            break;
        }
    }
    if (outputs.empty())
        outputs.push_back(std::make_unique<StdoutOutput>());
    return outputs;
}

}  // namespace

int main(int argc, char* argv[])
{
    CatchProcessSignals("quilvex-nmea", true);
    g_stdoutOpen = StandardOutputWasOpen();
    QCoreApplication app(argc, argv);
    // Qt takes the C library's locale from the environment: numbers printed
    // keep a decimal point whatever it says.
    std::setlocale(LC_NUMERIC, "C");
    UseBinaryStandardOutput();

    const NmeaCommand command = ParseNmeaCommand(QCoreApplication::arguments());
    switch (command.action) {
    case NmeaCommand::Action::Fail:
        std::fprintf(stderr, "%s\n", command.text.c_str());
        return command.status;
    case NmeaCommand::Action::Help:
    case NmeaCommand::Action::Version:
        return PrintToStandardOutput(command.text);
    case NmeaCommand::Action::List:
        return PrintToStandardOutput(Header("slot\tname\tlatitude\tlongitude\tromanisation\n") + SlotList());
    case NmeaCommand::Action::ListPorts: {
        const auto ports = SystemPorts();
        return PrintToStandardOutput(
            (ports.empty() ? "" : Header("port\tdescription\tmanufacturer\tserial number\tby-id name\n")) +
            FormatPortList(ports));
    }
    case NmeaCommand::Action::Stopped:
        return kExitDone;
    case NmeaCommand::Action::Run:
        break;
    }
    const NmeaOptions& o = command.options;
    if (!g_stdoutOpen && o.toStandardOutput())
        return PrintToStandardOutput({});  // the ticks would go nowhere
    if (!o.toStandardOutput())
        SurviveClosedPipes();

    NmeaInvocation runner(o, OutputsOf(o));
    WatchProcessSignals(&runner, [&runner](ProcessSignal signal) {
        if (signal == ProcessSignal::Stop)
            runner.stop();
        else
            runner.toggleFix();
    });
    // Exit codes set before the loop starts would be lost, so start inside it.
    QTimer::singleShot(0, &runner, &NmeaInvocation::start);
    return QCoreApplication::exec();
}
