// In-process stand-in for WNASPI32.DLL: one SimAspi is the active one; the free
// functions have the signatures of the DLL's entry points and forward to it.
// With none active they behave as a manager without adapters.
#pragma once

#include <cstdint>

#include "sim/sim_aspi.h"

namespace quillan::sim {

void SetActiveSimAspi(SimAspi* aspi);
SimAspi* ActiveSimAspi();
uint32_t SimSendASPI32Command(void* srb);
uint32_t SimGetASPI32SupportInfo();

// Makes an instance active for a scope, restoring the previous one after.
class ScopedActiveSimAspi {
public:
    explicit ScopedActiveSimAspi(SimAspi& aspi) : previous_(ActiveSimAspi()) { SetActiveSimAspi(&aspi); }
    ~ScopedActiveSimAspi() { SetActiveSimAspi(previous_); }
    ScopedActiveSimAspi(const ScopedActiveSimAspi&) = delete;
    ScopedActiveSimAspi& operator=(const ScopedActiveSimAspi&) = delete;

private:
    SimAspi* previous_;
};

}  // namespace quillan::sim
