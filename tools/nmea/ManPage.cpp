// Writes quilvex-nmea's man page from its template, OPTIONS made from the
// option table and EXIT STATUS from the exit status table:
//   quilvex_nmea_man_page TEMPLATE OUTPUT VERSION
#include "OptionTable.hpp"

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::cerr << "usage: quilvex_nmea_man_page TEMPLATE OUTPUT VERSION\n";
        return 2;
    }
    std::stringstream page;
    page << std::ifstream(argv[1]).rdbuf();
    std::string text = page.str();
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"@NMEA_OPTIONS@\n", quilvex::ManPageOptions()},
                                   {"@NMEA_EXIT_STATUS@\n", quilvex::ManPageExitStatus()},
                                   {"@NMEA_STATUS_ORDER@", quilvex::StatusOrder()},
                                   {"@PROJECT_VERSION@", argv[3]}}) {
        const std::size_t at = text.find(from);
        if (at == std::string::npos) {
            std::cerr << argv[1] << ": no " << from << "\n";
            return 1;
        }
        text.replace(at, from.size(), to);
    }
    std::ofstream out(argv[2]);
    out << text;
    return out.flush() ? 0 : 1;
}
