#pragma once
// Where the screen is shown and where keys come from: curses in play, an
// in-memory stand-in in tests.
class ScreenBuffer;

// What the game waits for when it reads a key, handed to the terminal with
// the read. Only a hint for terminals that offer other ways to type than a
// keyboard (the page's touch controls); the key read is the same whatever
// the hint says. `replay` is a replay's own wait for the watcher's keys
// (pause, pace, stop), `paused` the same while it is paused (a step too),
// `replay_end` its wait for a key at its last line.
enum class KeyWait { any, title, command, more, direction, ending, replay, paused, replay_end };
struct KeyHint {
    KeyWait wait = KeyWait::any;
    int focus_row = -1;  // the player's screen cell in play, else -1
    int focus_col = -1;
};

class Terminal {
   public:
    virtual ~Terminal() = default;
    // Makes the terminal show the screen; a full repaint when the screen
    // was cleared since the last time.
    virtual void present(const ScreenBuffer& screen) = 0;
    // Waits for one key and returns its code (arrow keys 258..261).
    virtual int read_key(const ScreenBuffer& screen, const KeyHint& hint) = 0;
    virtual void sleep_ms(int ms) = 0;
    // Waits at most `timeout_ms` for a key and returns its code, or -1 when
    // none came in time. The game itself never calls it: a replay reads its
    // own control keys with it while it shows the recorded keys (a wait of
    // KeyWait::replay). The default waits the whole time and sees no key.
    virtual int read_key_within(const ScreenBuffer& screen, int timeout_ms) {
        (void)screen;
        sleep_ms(timeout_ms);
        return -1;
    }
    // Shows one line of ASCII text (at most 80 characters) beside the
    // game's screen: on the row below its 23 rows where the terminal has
    // one, else over the terminal's last row. It stays, through every
    // present, until the next call; an empty text takes it away. The game
    // never calls it: a replay says with it that it is paused or over.
    virtual void show_status_line(const char* ascii) { (void)ascii; }
    // A replay tells what the replayed game waits for at each recorded key
    // (its own reads say KeyWait::replay), for a terminal that lays the
    // screen out by it, as it does in play. The key read is the same.
    virtual void game_waits(const KeyHint& hint) { (void)hint; }
    // Gives the terminal back to the shell; safe to call more than once.
    virtual void shutdown() {}
};

// A terminal in front of another one that hands every operation on to it;
// the recording and the replay take over only what they change.
class TerminalInFront : public Terminal {
   public:
    explicit TerminalInFront(Terminal& inner) : inner_(inner) {}
    void present(const ScreenBuffer& screen) override { inner_.present(screen); }
    int read_key(const ScreenBuffer& screen, const KeyHint& hint) override { return inner_.read_key(screen, hint); }
    void sleep_ms(int ms) override { inner_.sleep_ms(ms); }
    int read_key_within(const ScreenBuffer& screen, int timeout_ms) override {
        return inner_.read_key_within(screen, timeout_ms);
    }
    void show_status_line(const char* ascii) override { inner_.show_status_line(ascii); }
    void game_waits(const KeyHint& hint) override { inner_.game_waits(hint); }
    void shutdown() override { inner_.shutdown(); }

   protected:
    Terminal& inner_;
};
