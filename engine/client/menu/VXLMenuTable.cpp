#include "engine/client/menu/VXLMenuTable.h"

#include "engine/client/menu/GlobalMenuEntry.h"

const VXLMenuRow kVxlMenuTable[kVxlMenuTableRows] = {
    {0, 0, 53, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {1, 0, 54, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {2, 0, 55, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {1, 1, 54, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {3, 2, 56, CGlobalMenuEntry::kOriginTable, kMenuEntryFolder},
    {6, 3, 58, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {7, 3, 59, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {9, 4, 60, CGlobalMenuEntry::kOriginTable, kMenuEntrySelectedMedia},
    {10, 4, 61, CGlobalMenuEntry::kOriginTable, kMenuEntrySelectedMedia},
    {11, 4, 62, CGlobalMenuEntry::kOriginTable, kMenuEntrySelectedMedia},
    {12, 4, 63, CGlobalMenuEntry::kOriginTable, kMenuEntrySelectedMedia},
    {14, 4, 64, CGlobalMenuEntry::kOriginTable, kMenuEntrySelectedMedia},
    {15, 4, 65, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {8, 5, 66, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {16, 6, 67, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {17, 7, 68, CGlobalMenuEntry::kOriginTable, kMenuEntryContacts},
    {18, 10, 69, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {21, 11, 72, CGlobalMenuEntry::kOriginTable, kMenuEntrySms},
    {24, 12, 74, CGlobalMenuEntry::kOriginTable, kMenuEntryStorageArea},
    {25, 12, 75, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {26, 12, 76, CGlobalMenuEntry::kOriginTable, kMenuEntryStorageArea},
    {28, 14, 78, CGlobalMenuEntry::kOriginTable, kMenuEntryFavoriteSlot},
    {1, 15, 54, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {0, 15, 53, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
    {29, 15, 79, CGlobalMenuEntry::kOriginTable, kMenuEntryPlain},
};
