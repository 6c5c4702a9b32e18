#include "game/player/Player.h"

Player g_Player;
SVec4 PlayerPos = {0.0f, 0.0f, 0.0f, 0.0f};

void Player::OnOuterContact(HitBody* /*body*/) {}
