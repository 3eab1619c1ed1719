#pragma once
// The program's run from screen start-up to the exit status, on whatever
// terminal is installed.

// Screen start-up, splash, title, seeding, one game. Returns the exit status.
int program_entry();
