#include "game/enemy/NodeScalePackets.h"

#include "vrax/graphic/SGpMan.h"

void NodeScalePackets::ScalePacket::Execute() {
  saved = SGpMan::GetWorldView();
  SMatrix s = kIdentityMatrix;
  for (int i = 0; i < 3; ++i) s.m[i][i] = factor[i];
  SGpMan::MultiplyWorld(s);
}

void NodeScalePackets::GlowPacket::Execute() {
  mode = SGpMan::GetBlendMode();
  alpha = SGpMan::GetBlendAlpha();
  SGpMan::SetBlendMode(kAdditiveBlend, alpha);
}

void NodeScalePackets::RestorePacket::Execute() {
  SGpMan::SetBlendMode(glow->mode, glow->alpha);
  SGpMan::SetWorldView(scale->saved);
}

void NodeScalePackets::Hang(SGpNode* node) {
  Remove();
  if (node == nullptr) return;
  restore_.scale = &scale_;
  restore_.glow = &glow_;
  node->AddPacketFront(&glow_);
  node->AddPacketFront(&scale_);
  node->AddPacket(&restore_);
  node_ = node;
}

void NodeScalePackets::Remove() {
  if (node_ == nullptr) return;
  node_->RemovePacket(&scale_);
  node_->RemovePacket(&glow_);
  node_->RemovePacket(&restore_);
  node_ = nullptr;
}
