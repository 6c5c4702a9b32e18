#pragma once
// Steps the boss scripts share beside BossScript.h
// and BossKit.h: the hover, stopping a sound effect and the screen ramp.
#include <cstdint>

// The slow drift about the home point: x = home x + ax sin(frame x 0.02 x pi/2),
// y = home y + ay sin(frame x 0.025 x pi/2). The two periods (200 and 160
// frames) differ, so the drift traces a figure that repeats only every 800.
void BossHover(float* position, const float* home, int32_t frame, float ax = 6.0f, float ay = 7.0f);
void BossStopSe(int32_t n);
// The game's screen ramp on layer 7 (levels: 1 clear, 2 white).
void BossScreenRamp(float level, int32_t frames);
