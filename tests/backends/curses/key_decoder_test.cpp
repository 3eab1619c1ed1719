#include "backends/curses/key_decoder.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "screen/console.h"

namespace {

// The bytes after an Escape as they come in, all at once; then nothing.
class ScriptedKeys : public KeySource {
   public:
    explicit ScriptedKeys(std::vector<int> keys) : keys_(keys.begin(), keys.end()) {}
    int next(int) override {
        if (keys_.empty()) return NOTHING_CAME;
        int key = keys_.front();
        keys_.pop_front();
        return key;
    }
    void put_back(int key) override { keys_.push_front(key); }
    std::deque<int> keys_;
};

struct Case {
    std::vector<int> after_escape;
    int key;
    std::vector<int> left;
};

TEST(KeyDecoder, SequencesAreReadWholeAndKeypadKeysGiveTheirDigits) {
    const Case cases[] = {
        {{}, 27, {}},                                // Escape alone
        {{27, 'x'}, 27, {27, 'x'}},                  // Escape twice: the second stays
        {{'[', '1', '~', 'l'}, UNBOUND_KEY, {'l'}},  // Home as tmux sends it
        {{'[', '1', '2', ';', '5', '~'}, UNBOUND_KEY, {}},
        {{'[', '[', 'B', 'l'}, UNBOUND_KEY, {'l'}},  // F2 on the Linux console
        {{'[', 'A'}, KEY_CODE_UP, {}},
        {{'[', '1', '\r'}, UNBOUND_KEY, {'\r'}},  // cut short: Enter is a key of its own
        {{'[', '1'}, UNBOUND_KEY, {}},
        {{'O', 'q'}, '1', {}},  // application keypad
        {{'O', 'y'}, '9', {}},
        {{'O', 'u'}, '5', {}},
        {{'O', 'M'}, 13, {}},
        {{'O', 'Q', 'l'}, UNBOUND_KEY, {'l'}},  // F2 as SS3
        {{'q', 'Q'}, UNBOUND_KEY, {'Q'}},       // Alt-q
        {{'O'}, UNBOUND_KEY, {}},               // Alt-O
    };
    for (const Case& c : cases) {
        ScriptedKeys keys(c.after_escape);
        EXPECT_EQ(decode_escape(keys), c.key) << "after ESC " << c.after_escape.size() << " keys";
        EXPECT_EQ(std::vector<int>(keys.keys_.begin(), keys.keys_.end()), c.left);
    }
}

}  // namespace
