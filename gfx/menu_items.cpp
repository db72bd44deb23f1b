#include <cstring>

#include "gfx/menu.h"

namespace ampliro {

void ParseMenuItems(MenuItems* items, const char* itemList) {
    const char* source = itemList ? itemList : "";
    const size_t length = strnlen(source, kMaxMenuItemList);
    std::memcpy(items->itemList, source, length);
    items->itemList[length] = '\0';
    items->count = 0;

    char* at = items->itemList;
    while (*at != '\0' && items->count < kMaxMenuItems) {
        char* end = std::strchr(at, ',');
        if (end) *end = '\0';
        // Two digits of code, then the label; an item too short for its code
        // is no item.
        if (std::strlen(at) >= 2) {
            const auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
            items->codes[items->count] = static_cast<uint8_t>(digit(at[0]) * 10 + digit(at[1]));
            items->labels[items->count] = at + 2;
            ++items->count;
        }
        if (!end) break;
        at = end + 1;
    }
}

}  // namespace ampliro
