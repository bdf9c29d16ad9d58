#include "engine/screens/VXLInfoMessageTable.h"

namespace {

constexpr CVXLInfoMessageRow kRows[CVXLInfoMessageTable::kRowCount] = {
    {795, 0},
    {120, 1},
    {121, 0},
    {119, 0},
    {105, 0},
    {104, 1},
    {117, 0},
    {795, 0},
    {795, 0},
    {123, 0},
    {122, 0},
    {118, 0},
    {111, 1},
    {112, 1},
    {109, 0},
    {113, 1},
    {114, 0},
    {115, 0},
    {101, 1},
    {102, 1},
    {116, 0},
    {103, 1},
    {100, 0},
    {795, 0},
    {106, 1},
    {108, 0},
    {107, 0},
};

} // namespace

std::uint32_t CVXLInfoMessageTable::textIdOf(std::uint32_t index)
{
    return index < kRowCount ? kRows[index].textId : kEmptyTextId;
}

const CVXLInfoMessageRow* CVXLInfoMessageTable::rows()
{
    return kRows;
}
