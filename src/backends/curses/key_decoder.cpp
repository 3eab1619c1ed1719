#include "backends/curses/key_decoder.h"

#include "screen/console.h"

namespace {

constexpr int ESCAPE = KEY_CODE_ESCAPE;
constexpr int ENTER = KEY_CODE_ENTER;
// No key sends longer parameters; a runaway stream ends the sequence.
constexpr int MAX_CSI_BYTES = 32;

int arrow(int final_byte) {
    switch (final_byte) {
        case 'A': return KEY_CODE_UP;
        case 'B': return KEY_CODE_DOWN;
        case 'C': return KEY_CODE_RIGHT;
        case 'D': return KEY_CODE_LEFT;
        default: return UNBOUND_KEY;
    }
}

// ESC O <byte>: the application keypad sends p..y for 0..9 and the letters
// below for its other keys, labelled as in the table.
int single_shift(int byte) {
    if (byte >= 'p' && byte <= 'y') return '0' + (byte - 'p');
    switch (byte) {
        case 'j': return '*';
        case 'k': return '+';
        case 'l': return ',';
        case 'm': return '-';
        case 'n': return '.';
        case 'o': return '/';
        case 'X': return '=';
        case 'M': return ENTER;
        default: return arrow(byte);
    }
}

// ESC [ parameters, intermediates, final byte.
int control_sequence(KeySource& source) {
    int byte = source.next(SEQUENCE_WAIT_MS);
    if (byte == '[') {
        // The Linux console's function keys: ESC [ [ and one letter.
        source.next(SEQUENCE_WAIT_MS);
        return UNBOUND_KEY;
    }
    bool plain = true;  // no parameters: an arrow key
    for (int count = 0; count < MAX_CSI_BYTES; ++count) {
        if (byte == NOTHING_CAME) return UNBOUND_KEY;
        if (byte >= 0x40 && byte <= 0x7E) return plain ? arrow(byte) : UNBOUND_KEY;
        if (byte < 0x20 || byte > 0x3F) {
            source.put_back(byte);  // not part of a sequence: a key of its own
            return UNBOUND_KEY;
        }
        plain = false;
        byte = source.next(SEQUENCE_WAIT_MS);
    }
    return UNBOUND_KEY;
}

}  // namespace

int decode_escape(KeySource& source) {
    int byte = source.next(SEQUENCE_WAIT_MS);
    if (byte == NOTHING_CAME) return ESCAPE;
    if (byte == ESCAPE || byte > 0xFF) {
        // Escape pressed twice, or Escape before a key the terminal knows.
        source.put_back(byte);
        return ESCAPE;
    }
    if (byte == '[') return control_sequence(source);
    if (byte == 'O') {
        int key = source.next(SEQUENCE_WAIT_MS);
        return key == NOTHING_CAME ? UNBOUND_KEY : single_shift(key);
    }
    return UNBOUND_KEY;  // Alt with a key
}
