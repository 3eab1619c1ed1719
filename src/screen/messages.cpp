#include "screen/messages.h"

#include <cstring>

#include "game/state.h"
#include "screen/colours.h"
#include "screen/console.h"
#include "screen/drawing.h"
#include "text/encoding.h"
#include "text/language.h"

char last_message[LAST_MESSAGE_SIZE];

namespace {

// Copies at most MESSAGE_LIMIT - 1 bytes, always terminated: an over-long
// message is cut, never overflows, and never ends on half a character.
void copy_message(char* dest, const char* text) {
    std::size_t length = whole_characters_length(text, MESSAGE_LIMIT - 1);
    std::memmove(dest, text, length);
    dest[length] = '\0';
}

void show_on_message_row(const char* text, int colour) {
    console_move(MESSAGE_ROW, 1);
    console_clear_to_eol();
    set_colour(colour);
    console_move_add_text(MESSAGE_ROW, 1, text);
}

}  // namespace

void post_message(const char* text, int colour) {
    char previous[MESSAGE_LIMIT];
    copy_message(previous, last_message);
    copy_message(last_message, text);
    if (game.message_colour != 0) {
        // The previous message is still unread: show it again, in its own
        // colour, and hold the game on "-more-".
        show_on_message_row(previous, game.message_colour);
        set_colour(COLOUR_CYAN);
        // An English message ends in a word, kept apart from the prompt;
        // Japanese runs on into it.
        if (previous[0] != '\0' && shown_language() == Language::english) console_add_text(" ");
        console_add_text("-more-");
        console_refresh();
        wait_space_or_escape();
    }
    game.message_colour = colour;
    show_on_message_row(last_message, colour);
    console_refresh();
}

int wait_space_or_escape() {
    for (;;) {
        int key = console_read_key({KeyWait::more});
        if (key == KEY_CODE_SPACE || key == KEY_CODE_ESCAPE) return key;
    }
}
