#pragma once

#include <string_view>

namespace quilvex {

// What lstat says of a symbolic link met on the way to the directory where
// the virtual port is linked, and of the directory that holds it.
struct LinkOnTheWay {
    unsigned long linkOwner;
    unsigned long directoryOwner;
    unsigned long directoryMode;  // st_mode
    unsigned long us;             // our effective user
};

// Whether we follow it. In a directory anyone may write to but only owners
// may delete from (/tmp), another user's link could send us, root above all,
// to make our link wherever that user chose. The kernel refuses to follow
// such links only while fs.protected_symlinks is on, so we keep its rule
// ourselves, and trust root's links as well.
constexpr bool MayFollowLink(const LinkOnTheWay& link)
{
    constexpr unsigned long kSticky = 01000, kOthersMayWrite = 0002;
    const bool shared = (link.directoryMode & kSticky) && (link.directoryMode & kOthersMayWrite);
    return !shared || link.linkOwner == link.us || link.linkOwner == 0 || link.linkOwner == link.directoryOwner;
}

// A link a killed run left behind: it leads to a pseudo-terminal
// ("/dev/pts/7") that no longer exists, so nobody can be using it.
constexpr bool IsStalePtyLink(std::string_view target, bool targetExists)
{
    constexpr std::string_view kPts = "/dev/pts/";
    if (targetExists || !target.starts_with(kPts) || target.size() == kPts.size())
        return false;
    for (const char c : target.substr(kPts.size()))
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace quilvex
