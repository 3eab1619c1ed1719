#include "creatures/creature_index.h"

#include <cstdint>
#include <cstring>

#include "creatures/monsters.h"
#include "game/state.h"

namespace {

struct Slot {
    uint32_t stamp;  // the build this slot was last written in
    int32_t count;   // monsters indexed on this cell
    Creature* only;  // the one monster when count is 1 and it is known
};

Slot slots[CREATURE_INDEX_ROWS][CREATURE_INDEX_COLUMNS];
// Slots of an older build read as empty, so a build clears nothing.
uint32_t current_stamp = 0;
int open_scopes = 0;
bool enabled = true;
bool built = false;

// The slot of a cell, emptied first if it belongs to an older build; nullptr
// outside the window.
Slot* slot_at(int x, int y) {
    unsigned column = static_cast<unsigned>(x - CREATURE_INDEX_LEFT);
    unsigned row = static_cast<unsigned>(y - CREATURE_INDEX_TOP);
    if (column >= CREATURE_INDEX_COLUMNS || row >= CREATURE_INDEX_ROWS) return nullptr;
    Slot& slot = slots[row][column];
    if (slot.stamp != current_stamp) slot = Slot{current_stamp, 0, nullptr};
    return &slot;
}

void enter(Creature* m, int x, int y) {
    Slot* slot = slot_at(x, y);
    if (slot == nullptr) return;
    // A second monster makes the cell one for the list walk.
    slot->only = slot->count == 0 ? m : nullptr;
    ++slot->count;
}

void leave(int x, int y) {
    Slot* slot = slot_at(x, y);
    if (slot == nullptr || slot->count == 0) return;
    --slot->count;
    // Which monster stays is not known; the walk will tell.
    slot->only = nullptr;
}

void build() {
    if (++current_stamp == 0) {
        // Every stamp has been used: start afresh rather than trust an old one.
        std::memset(slots, 0, sizeof slots);
        current_stamp = 1;
    }
    for (Creature* m = game.monsters; m != nullptr; m = m->next)
        if (m->kind != KIND_DEAD) enter(m, m->x, m->y);
    built = true;
}

}  // namespace

CreatureIndexScope::CreatureIndexScope() {
    if (open_scopes++ == 0 && enabled) build();
}

CreatureIndexScope::~CreatureIndexScope() {
    if (--open_scopes == 0) built = false;
}

bool creature_index_active() { return built; }

Creature* indexed_monster_at(int x, int y) {
    unsigned column = static_cast<unsigned>(x - CREATURE_INDEX_LEFT);
    unsigned row = static_cast<unsigned>(y - CREATURE_INDEX_TOP);
    if (column >= CREATURE_INDEX_COLUMNS || row >= CREATURE_INDEX_ROWS) return first_living_monster_at(x, y);
    const Slot& slot = slots[row][column];
    if (slot.stamp != current_stamp || slot.count == 0) return nullptr;  // nobody came here
    Creature* m = slot.only;
    if (slot.count == 1 && m != nullptr && m->kind != KIND_DEAD && m->x == x && m->y == y) return m;
    return first_living_monster_at(x, y);
}

void creature_index_moved(Creature* m, int old_x, int old_y) {
    if (!built) return;
    leave(old_x, old_y);
    enter(m, m->x, m->y);
}

void set_creature_index_enabled(bool on) {
    enabled = on;
    if (!on) built = false;
}
