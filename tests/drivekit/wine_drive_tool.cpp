// wine_drive: swaps the medium of a removable drive of a running Wine prefix, for
// tools/wine-drive.sh (see wine_media.h for why the mount manager is asked).
//   wine_drive insert LETTER HOST_FOLDER | eject LETTER | remove LETTER

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/drivekit/wine_media.h"

int main(int argc, char** argv) {
    if (argc < 3 || std::strlen(argv[2]) != 1) {
        std::fprintf(stderr,
                     "usage: wine_drive insert LETTER HOST_FOLDER | eject LETTER | "
                     "remove LETTER\n");
        return 2;
    }
    const std::string command = argv[1];
    const char letter = argv[2][0];
    uint32_t error = 0;
    if (command == "insert" && argc == 4) {
        error = winetest::InsertMedium(letter, argv[3]);
    } else if (command == "eject" && argc == 3) {
        error = winetest::EjectMedium(letter);
    } else if (command == "remove" && argc == 3) {
        error = winetest::RemoveDrive(letter);
    } else {
        std::fprintf(stderr, "wine_drive: unknown command or wrong arguments\n");
        return 2;
    }
    if (error != 0) {
        std::fprintf(stderr, "wine_drive: the mount manager refused (error %u)\n",
                     static_cast<unsigned>(error));
        return 1;
    }
    return 0;
}
