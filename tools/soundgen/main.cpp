// qx_soundgen: synthesises the clock's sounds at build time into the folder given on the command line.
#include "tools/soundgen/sounds.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: qx_soundgen <output folder>\n";
        return 2;
    }
    try {
        qx::soundgen::writeAll(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "qx_soundgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
