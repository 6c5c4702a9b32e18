#pragma once
// Edges of the game's page and play space: origin at the centre, y growing
// downward. Nothing changes them while the program runs.
constexpr float ScreenMinX = -240.0f;
constexpr float ScreenMaxX = 240.0f;
constexpr float ScreenMinY = -320.0f;  // top
constexpr float ScreenMaxY = 320.0f;   // bottom
