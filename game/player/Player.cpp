#include "game/player/Player.h"

// g_Player is defined with the other global objects, in their order
// (game/core/GlobalObjects.cpp).
SVec4 PlayerPos = {0.0f, 0.0f, 0.0f, 0.0f};

void Player::OnOuterContact(HitBody* /*body*/) {}
