// quendra-probe: what the program sees of this machine's optical drives, as plain text.

#include <exception>
#include <iostream>

#include "cli/ProbeDrives.h"
#include "drive/DriveComponent.h"

int main() {
    // ---- Start-up capture of the system information: call it here, before anything else.

    try {
        TDriveComponent drives;
        quendra::cli::PrintDrives(drives, std::cout);
    } catch (const std::exception& error) {
        std::cerr << "quendra-probe: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
