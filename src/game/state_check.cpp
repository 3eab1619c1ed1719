#include "game/state_check.h"

#include "creatures/archmage.h"
#include "game/random.h"
#include "game/state.h"
#include "world/map.h"

namespace {

// FNV-1a over whole numbers, each fed as eight bytes, low byte first.
class Fnv1a {
   public:
    void add(int64_t value) {
        auto bits = static_cast<uint64_t>(value);
        for (int i = 0; i < 8; ++i) add_byte(static_cast<uint8_t>(bits >> (8 * i)));
    }
    uint32_t value() const { return hash_; }

   private:
    void add_byte(uint8_t byte) {
        hash_ ^= byte;
        hash_ *= 16777619u;
    }
    uint32_t hash_ = 2166136261u;
};

void add_creature(Fnv1a& h, const Creature& c) {
    h.add(c.kind);
    h.add(c.x);
    h.add(c.y);
    h.add(c.colour);
    h.add(c.energy);
    h.add(c.glyph);
}

}  // namespace

uint32_t state_check() {
    Fnv1a h;
    h.add(random_draw_count());
    h.add(game.player_x);
    h.add(game.player_y);
    h.add(game.kill_count);
    h.add(game.energy);
    h.add(game.boss_mode);
    h.add(game.restart_pending);
    h.add(game.shortcut_stage);
    h.add(game.run_state);
    h.add(game.message_colour);
    h.add(archmage_hp);
    for (const auto& row : map)
        for (const MapCell& cell : row) {
            h.add(cell.glyph);
            h.add(cell.colour);
        }
    for (const TerrainKind& kind : terrain_palette) {
        h.add(kind.glyph);
        h.add(kind.colour);
    }
    long monsters = 0;
    for (const Creature* m = game.monsters; m != nullptr; m = m->next, ++monsters) add_creature(h, *m);
    h.add(monsters);
    add_creature(h, *game.archmage);
    return h.value();
}
