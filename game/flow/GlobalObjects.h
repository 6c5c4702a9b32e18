#pragma once
// The program's global objects and the order in which they exist.
//
// The persistent game managers are defined together in one source, so C++
// builds them in this order before the entry function and destroys them in
// the reverse order after it: the enemy manager's pointer array (its storage
// released last), the coin counter, then HitMan, Player,
// ChainCounter, Replay, PShotMan, EShotMan, EfxMan, DashForm, MapMng,
// ItemMan, ZGInterface, EnemyMan. Their constructors only build objects.
//
// The engine singletons, the game root and the network service client open
// devices, files and channels, so they are not static objects: the start-up
// builds them through ConstructEngineObjects in the order SKernel, SIOMan,
// SRscMan, SGpMan, SCtrlMan, Game, QvtBTUtil and DestroyEngineObjects takes
// them down in the reverse order, the service client first (it closes its
// handles while every other object still exists).
#include <memory>

class SKernel;
class SIOMan;
class SRscMan;
class SGpMan;
class SCtrlMan;
class Game;
class QvtBTUtil;

struct EngineObjects {
  EngineObjects();
  ~EngineObjects();  // destroys what is left, in the reverse order
  EngineObjects(const EngineObjects&) = delete;
  EngineObjects& operator=(const EngineObjects&) = delete;

  std::unique_ptr<SKernel> kernel;
  std::unique_ptr<SIOMan> ioMan;
  std::unique_ptr<SRscMan> rscMan;
  std::unique_ptr<SGpMan> gpMan;
  std::unique_ptr<SCtrlMan> ctrlMan;
  std::unique_ptr<Game> game;
  std::unique_ptr<QvtBTUtil> service;
};

// Builds every object in order and records the service client.
void ConstructEngineObjects(EngineObjects* objects);
// The reverse order; the service client is forgotten first.
void DestroyEngineObjects(EngineObjects* objects);

// Observer of the two functions above (tests): called with the object's
// name after it was built, and before it is destroyed. Null: none.
using GlobalObjectObserver = void (*)(const char* name, bool constructed);
void SetGlobalObjectObserver(GlobalObjectObserver observer);
