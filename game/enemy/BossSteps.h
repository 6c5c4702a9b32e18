#pragma once
// Steps the boss scripts of types 13, 14 and 15 share beside BossScript.h
// and BossKit.h: the hover, stopping a sound effect and the screen ramp.
#include <cstdint>

// x = home x + 6 sin(frame x 0.02 x pi/2), y = home y + 7 sin(frame x 0.025 x pi/2).
void BossHover(float* position, const float* home, int32_t frame);
void BossStopSe(int32_t n);
// The game's screen ramp on layer 7 (levels: 1 clear, 2 white).
void BossScreenRamp(float level, int32_t frames);
