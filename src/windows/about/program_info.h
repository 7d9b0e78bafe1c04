#pragma once

#include <QString>

namespace peltro::program {

// The program's own version information, in one place: what --version
// prints and what the version window shows.

// "0.1.0": the build's version, as --version prints it.
QString version();

// The three numbers of the version; a part the version text lacks is 0.
struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int build = 0;
};
VersionNumbers versionNumbers();

QString title();
QString company();
QString trademark();   // reads on into the company text
QString rights();

} // namespace peltro::program
