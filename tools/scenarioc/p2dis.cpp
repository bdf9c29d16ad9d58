// p2dis: prints any scenario program container. Exit status 0 when the container
// reads and checks clean, 1 when it has problems (listed), 2 when it cannot be read.

#include "tools/scenarioc/Container.h"
#include "tools/scenarioc/Disassembler.h"
#include "tools/scenarioc/Verifier.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: p2dis PROGRAM.p2\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 2;
    }
    const std::vector<std::uint8_t> bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    scenarioc::Container program;
    std::string error;
    if (!scenarioc::Container::parse(bytes, program, error)) {
        std::cerr << argv[1] << ": not a valid container: " << error << "\n";
        return 2;
    }
    std::cout << scenarioc::Disassembler::listing(program);
    return scenarioc::Verifier::verify(program).empty() ? 0 : 1;
}
