#pragma once

#include <string>

namespace quilvex {

enum class LinkErrorKind {
    NoPortNumber,  // the port text selects no port
    Missing,       // no such device
    NotADevice,    // a file or directory, never opened
    BadSettings,   // the settings text is no rate,n,8,1
    RateRefused,   // the port would not take the rate
    InUse,         // another program holds the port
    OpenFailed,    // any other refusal of the open
    Lost,          // the port failed while open (adapter pulled, peer gone)
};

// What failed, on what, and the system's reason; each front end words it in
// its own language.
struct LinkError {
    LinkErrorKind kind = LinkErrorKind::OpenFailed;
    std::string portText;
    std::string device;  // empty when the text selects no device
    std::string settings;
    std::string reason;  // the system's own words, where it gave any
};

std::string EnglishMessage(const LinkError& error);

}  // namespace quilvex
