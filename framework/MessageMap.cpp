#include "framework/MessageMap.h"

const MessageEntry* MessageMap::Find(UINT message, WPARAM wParam) const
{
    for (const MessageMap* map = this; map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageEntry& entry = map->entries[i];
            if (entry.message != message)
                continue;
            if (message == WM_COMMAND &&
                (entry.id != LOWORD(wParam) || entry.code != HIWORD(wParam)))
                continue;
            return &entry;
        }
    }
    return nullptr;
}
