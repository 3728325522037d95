#include "sim/sim_aspi_entry.h"

#include <atomic>

namespace quillan::sim {

namespace {

std::atomic<SimAspi*> g_active{nullptr};

SimAspi& Target() {
    static SimAspi none;  // no drives: no adapters
    SimAspi* active = g_active.load();
    return active != nullptr ? *active : none;
}

}  // namespace

void SetActiveSimAspi(SimAspi* aspi) { g_active.store(aspi); }
SimAspi* ActiveSimAspi() { return g_active.load(); }
uint32_t SimSendASPI32Command(void* srb) { return Target().SendASPI32Command(srb); }
uint32_t SimGetASPI32SupportInfo() { return Target().GetASPI32SupportInfo(); }

}  // namespace quillan::sim

#include <type_traits>

#include "drive/aspi_types.h"

static_assert(std::is_same_v<decltype(&quillan::sim::SimSendASPI32Command), quillan::SendAspi32CommandFn>,
              "must plug into the program's SendASPI32Command pointer");
static_assert(std::is_same_v<decltype(&quillan::sim::SimGetASPI32SupportInfo), quillan::GetAspi32SupportInfoFn>,
              "must plug into the program's GetASPI32SupportInfo pointer");
