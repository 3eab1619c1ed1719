#pragma once
// The rest of an escape sequence, read after the terminal has handed over an
// Escape on its own: the keyboard sends several keys that way, and only some
// are in the terminal's description. Nothing here knows curses; the terminal
// supplies the bytes.
//
// - Escape with nothing after it is the Escape key (27).
// - ESC O and one byte (SS3) is a key of the numeric keypad in application
//   mode, or an arrow: it gives the key printed on it ("0".."9", ".", "+",
//   Enter as 13, the arrows as their codes); any other SS3 key is unbound.
// - ESC [ up to a final byte in 0x40..0x7E (CSI) is consumed whole; only the
//   four arrows are bound, the rest (Home, F2 on many terminals) is unbound.
// - ESC and any other key is Alt with that key: unbound.

// A key the game's commands never bind: the caller reads on.
constexpr int UNBOUND_KEY = -1;
// What a KeySource gives when nothing came in time.
constexpr int NOTHING_CAME = -1;

class KeySource {
   public:
    virtual ~KeySource() = default;
    // The next byte or key code, or NOTHING_CAME after `wait_ms`.
    virtual int next(int wait_ms) = 0;
    // Hands `key` back, to be the next one read.
    virtual void put_back(int key) = 0;
};

// How long the rest of a sequence may take to arrive after its first byte.
constexpr int SEQUENCE_WAIT_MS = 25;

// Called when an Escape (27) has been read: the key it starts, or
// UNBOUND_KEY.
int decode_escape(KeySource& source);
