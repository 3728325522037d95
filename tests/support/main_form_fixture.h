// A TMainForm on the headless toolkit, its drives simulated behind the ASPI
// entry points, and every process-wide record reset between tests.
#pragma once

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/Quillanmain.h"
#include "app/toolkit/headless_backend.h"
#include "drive/aspi_entry_points.h"
#include "drive/command_set.h"
#include "state/program_state.h"
#include "drive/transport.h"
#include "sim/sim_aspi.h"
#include "sim/sim_aspi_entry.h"
#include "support/sim_machine.h"

namespace quillan::test_support {

inline sim::DriveSettings DriveOf(const std::string& vendor, const std::string& product,
                                  const std::string& revision, const std::string& code = "") {
    sim::DriveSettings settings;
    settings.vendor = vendor;
    settings.product = product;
    settings.revision = revision;
    settings.driveCode = code;
    settings.page40Accepted = code.empty();
    settings.discLoaded = false;
    return settings;
}

class MainFormTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        host.SetJournal(&backend.journal);
    }
    void TearDown() override {
        form.reset();
        SimMachineTest::TearDown();
    }

    sim::SimDrive* AddDrive(uint8_t adapter, uint8_t target, const sim::DriveSettings& settings) {
        return aspi.AddDrive(adapter, target, settings);
    }

    // Builds the form and runs FormCreate.
    TMainForm& Create() {
        form = std::make_unique<TMainForm>(backend);
        form->FormCreate();
        return *form;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : backend.Messages()) texts.push_back(m.text);
        return texts;
    }

    // Every command any simulated drive received, in the order of all drives.
    size_t CommandCount() const {
        size_t n = 0;
        for (auto [where, drive] : aspi.Drives()) n += drive->Log().size();
        return n;
    }

    toolkit::HeadlessBackend backend;
    std::unique_ptr<TMainForm> form;
};

}  // namespace quillan::test_support
