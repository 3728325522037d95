#include "sim/sim_session.h"

#include "sim/sim_event_format.h"
#include "sim/sim_image_files.h"
#include "sim/sim_wine_path.h"

namespace quillan::sim {

SimSession::SimSession(const SessionOptions& options) {
    auto map = [&](const std::string& p) { return options.winePaths ? WinePath(p) : p; };

    ConfigParse parsed;
    if (options.configPath.empty()) parsed.message = "no configuration given";
    else parsed = LoadSimConfig(map(options.configPath));

    const std::string logPath = !options.logPath.empty() ? options.logPath : parsed.config.logPath;
    if (!logPath.empty()) log_.Open(map(logPath));
    log_.WriteLine("load platform=" + std::to_string(options.platformId));

    if (parsed.ok) {
        configLoaded_ = true;
        imageDir_ = map(parsed.config.imageDir);
        aspi_ = MakeSimAspi(parsed.config);
        drives_ = parsed.config.drives;
        log_.WriteLine("config " + options.configPath + " drives=" + std::to_string(parsed.config.drives.size()) +
                       " adapters=" + std::to_string(aspi_->AdapterCount()));
    } else {
        aspi_ = std::make_unique<SimAspi>();  // no adapters
        log_.WriteLine("config error: " + parsed.message);
    }
    aspi_->SetEventSink([this](const AspiEvent& e) { OnEvent(e); });
}

void SimSession::OnEvent(const AspiEvent& event) {
    log_.WriteLine(FormatEvent(event));
    if (event.entry != nullptr && event.entry->completion != Completion::None)
        WriteImages(event.adapter, event.target, *event.drive);
}

void SimSession::WriteImages(uint8_t adapter, uint8_t target, const SimDrive& drive) {
    if (imageDir_.empty()) return;
    const std::string error = WriteDriveImages(imageDir_, adapter, target, drive);
    const std::string where = " ha=" + std::to_string(adapter) + " target=" + std::to_string(target);
    if (!error.empty()) {
        log_.WriteLine("image error:" + where + " " + error);
        return;
    }
    log_.WriteLine("images" + where + " image=" + std::to_string(drive.Image().size()) +
                   " boot=" + std::to_string(drive.BootBlock().size()) +
                   " single=" + std::to_string(drive.SingleCommandData().size()));
}

void SimSession::Close(bool processExiting) {
    if (closed_) return;
    closed_ = true;
    const std::optional<SimAspi::DriveList> drives = processExiting ? aspi_->TryDrives() : aspi_->Drives();
    if (!drives) {
        log_.WriteLine("unload busy: a command was in progress, images not written");
        return;
    }
    for (const auto& [where, drive] : *drives) WriteImages(where.first, where.second, *drive);
    log_.WriteLine("unload");
}

}  // namespace quillan::sim
