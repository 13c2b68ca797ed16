// The one path resolver of the house: where the suite's Windows-style file
// names live on this system. The engine, the window layer and the look-up
// libraries all name files through it.
//
// mapPath turns a name into one of this system: backslashes become
// separators, "X:" is the directory in KESTREL_DRIVE_X (an unmapped drive, or
// a letter before C, gives "": it does not exist), and each component that
// does not exist as written is matched without regard to case against its
// directory. Names already in this system's form pass through unchanged.
#ifndef KESTREL_BASE_PATHS_H
#define KESTREL_BASE_PATHS_H

#include <string>
#include <string_view>

namespace ksbase {

std::string mapPath(std::string_view name);

// The directory of drive `letter` ("" when unmapped).
std::string driveRoot(char letter);

// The suite's settings directory: $KESTREL_HOME, else ~/.kestrel.
std::string settingsDirectory();

// Where the profile file `name` lives: in the settings directory when it is
// named without a directory, else mapPath(name).
std::string profilePath(std::string_view name);

// Where the suite's shipped data lives: $KESTREL_DATA, else share/kestrel
// beside the running program's folder (<prefix>/share/kestrel when
// installed; in a build folder, a link to the source tree's data/).
std::string dataDirectory();

}  // namespace ksbase

#endif
