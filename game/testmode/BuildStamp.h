#pragma once
// The date and time this program was built, as the test mode's version line
// shows them. They sit in a source of their own: an object that holds them
// can never come from the compiler cache, and this one costs nothing to build.
const char* BuildDate();  // "Dec  8 2026"
const char* BuildTime();  // "00:14:35"
