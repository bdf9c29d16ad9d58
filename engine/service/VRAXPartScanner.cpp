#include "engine/service/VRAXPartScanner.h"

void CVRAXPartScanner::setBoundary(const CVXLString& word)
{
    std::uint32_t dashes = 0;
    while (dashes < word.length() && word.c_str()[dashes] == '-')
        ++dashes;
    CVXLBoundaryScanner::setBoundary(word.substr(static_cast<int>(dashes), word.length() - dashes));
}
