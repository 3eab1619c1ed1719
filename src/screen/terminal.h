#pragma once
// Where the screen is shown and where keys come from: curses in play, an
// in-memory stand-in in tests.
class ScreenBuffer;

class Terminal {
   public:
    virtual ~Terminal() = default;
    // Makes the terminal show the screen; a full repaint when the screen
    // was cleared since the last time.
    virtual void present(const ScreenBuffer& screen) = 0;
    // Waits for one key and returns its code (arrow keys 258..261).
    virtual int read_key(const ScreenBuffer& screen) = 0;
    virtual void sleep_ms(int ms) = 0;
    // Gives the terminal back to the shell; safe to call more than once.
    virtual void shutdown() {}
};
