// The award exports: each fills the detail window's table (made here when
// the host has not made it yet) and catches whatever goes wrong inside.
#include "internal.h"

using namespace ksdetail;

namespace {

// The award exports need the window's table; a host that asks before
// creating the window gets one, not yet shown.
bool haveTable() {
  if (state().table != nullptr) return true;
  return CreateDetailWnd(8, 16) != nullptr;
}

template <class Run>
int guarded(DB_TASK* task, Run run) {
  try {
    if (task == nullptr || !haveTable()) return 0;
    return run();
  } catch (...) {
    return 0;
  }
}

int bandOf(int bandCode) { return bandCode - 200; }

}  // namespace

extern "C" {

int GetDXCCDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant, int sortOrder) {
  return guarded(task, [&] { return dxccAward(owner, task, awardType, -1, variant, sortOrder); });
}

int GetDXCCBandDetailDLL(HWND owner, int bandCode, DB_TASK* task, int variant, int sortOrder) {
  return guarded(task,
                 [&] { return dxccAward(owner, task, 0, bandOf(bandCode), variant, sortOrder); });
}

int GetWASDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant) {
  return guarded(task, [&] { return wasAward(owner, task, awardType, -1, variant); });
}

int GetWASBandDetailDLL(HWND owner, int bandCode, DB_TASK* task, int variant) {
  return guarded(task, [&] { return wasAward(owner, task, 0, bandOf(bandCode), variant); });
}

int GetCQZoneDetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant) {
  return guarded(task, [&] { return cqAward(owner, task, awardType, -1, variant); });
}

int GetCQBandDetailsDLL(HWND owner, int bandCode, DB_TASK* task, int variant) {
  return guarded(task, [&] { return cqAward(owner, task, 0, bandOf(bandCode), variant); });
}

int GetVUCCDetailsDLL(HWND owner, int vuccBand, DB_TASK* task, int variant) {
  return guarded(task, [&] { return vuccAward(owner, task, vuccBand, variant); });
}

int GetUSCADetailsDLL(HWND owner, int awardType, DB_TASK* task, int variant) {
  return guarded(task, [&] { return uscaAward(owner, task, awardType, variant); });
}

int GetIOTADetailsDLL(HWND owner, int, DB_TASK* task, int, int) {
  return guarded(task, [&] { return iotaAward(owner, task); });
}

}  // extern "C"
