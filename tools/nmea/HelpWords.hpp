#pragma once

#include <array>
#include <string_view>
#include <utility>

namespace quilvex {

// The words of --help that differ between systems. Both sets are here, so
// either can be shown and tested anywhere; ConsolePlatform picks this system's.
struct HelpWords {
    // What each {key} in an option's or exit status's text becomes.
    std::array<std::pair<std::string_view, std::string_view>, 3> fills;
    std::string_view absent;    // options this system lacks, blank-separated: left out of the help
    std::string_view examples;  // the Examples section and how a run stops and loses its fix
};

extern const HelpWords kPosixHelpWords;
extern const HelpWords kWindowsHelpWords;

}  // namespace quilvex
