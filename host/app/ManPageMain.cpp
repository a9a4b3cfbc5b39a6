// plotrex-host-man: writes the manual page of plotrex-host, made from its
// option declarations, when the program is built.
//   plotrex-host-man VERSION FILE
#include <fstream>
#include <iostream>

#include "host/app/HostOptions.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: plotrex-host-man VERSION FILE\n";
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << HostManPage(argv[1]);
    out.close();
    if (!out) {
        std::cerr << "plotrex-host-man: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
