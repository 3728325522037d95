// The machine drive-level tests run on: a recording host and simulated drives
// behind the ASPI entry points, with the process-wide drive records reset.
#pragma once

#include <cstring>

#include <gtest/gtest.h>

#include "drive/aspi_entry_points.h"
#include "drive/command_set.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "platform/run_log.h"
#include "support/fake_host.h"

namespace quillan::test_support {

class SimMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Program.Reset();
        SetCurrentHost(&host);
        SendASPI32Command = sim::SimSendASPI32Command;
        GetASPI32SupportInfo = sim::SimGetASPI32SupportInfo;
    }
    // Nothing of this test, plugged in or left open, reaches the next.
    void TearDown() override { Program.Reset(); }

    FakeHost host;
    sim::SimAspi aspi;
    sim::ScopedActiveSimAspi active{aspi};
};

}  // namespace quillan::test_support
