#include "vrax/graphic/SGpVtxList.h"

namespace {
// Constructed before, and destroyed after, every object of default priority
// (the primitives of global objects among them), so that no primitive gives
// a list back to a holder that has ended.
SGpVtxList g_vtxList __attribute__((init_priority(150))) (SGpVtxList::kCapacity);
SGpVtxListB g_vtxListB __attribute__((init_priority(150))) (SGpVtxListB::kCapacity);
}  // namespace

SGpVtxList& GetVtxList() { return g_vtxList; }
SGpVtxListB& GetVtxListB() { return g_vtxListB; }
