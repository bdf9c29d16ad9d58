#include "engine/screens/VXLErrorTable.h"

namespace {

constexpr CVXLErrorRow kRows[CVXLErrorTable::kRowCount] = {
    {1, 'P', 1, 759, 1},
    {4, 'P', 1, 758, 1},
    {9, 'P', 1, 771, 1},
    {12, 'P', 1, 770, 1},
    {15, 'P', 1, 773, 1},
    {16, 'P', 1, 774, 1},
    {17, 'P', 1, 772, 1},
    {20, 'P', 0, 787, 0},
    {21, 'P', 1, 776, 1},
    {50, 'D', 1, 782, 1},
    {51, 'D', 1, 783, 1},
    {52, 'D', 1, 784, 1},
    {53, 'D', 1, 778, 1},
    {54, 'D', 1, 779, 1},
    {55, 'D', 1, 780, 1},
    {56, 'D', 1, 781, 1},
    {57, 'G', 1, 785, 1},
    {59, 'G', 1, 786, 1},
    {62, 'M', 1, 765, 0},
    {63, 'M', 1, 764, 0},
    {64, 'S', 1, 766, 1},
    {65, 'P', 1, 775, 1},
    {66, 'G', 2, 756, 1},
    {67, 'G', 2, 755, 1},
    {71, 'G', 2, 777, 1},
    {72, 'G', 2, 760, 1},
    {73, 'G', 2, 757, 1},
    {74, 'M', 2, 763, 0},
    {75, 'M', 2, 762, 1},
    {83, 'S', 1, 767, 1},
    {85, 'S', 1, 768, 0},
    {86, 'S', 1, 769, 1},
    {90, 'D', 2, 788, 1},
    {91, 'G', 2, 789, 1},
    {93, 'M', 2, 790, 1},
    {97, 'G', 2, 791, 1},
};

} // namespace

const CVXLErrorRow* CVXLErrorTable::find(std::uint32_t code)
{
    for (const CVXLErrorRow& row : kRows) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

const CVXLErrorRow* CVXLErrorTable::rows()
{
    return kRows;
}
