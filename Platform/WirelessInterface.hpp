#pragma once

#include "Core/Shell.hpp"
#include "Core/WiFiInterface.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

// A Linux wireless interface: signal and noise from /proc/net/wireless, transmit rate
// and band from `iw dev IF link` when iw is installed (else 0 and unknown).
class WirelessInterface : public WiFiInterface {
public:
    // The first wireless interface by name among sysRoot/class/net/*/wireless, else the
    // first one listed in procRoot/net/wireless; nothing when there is none. `iwPath` is
    // the iw tool, nothing when it is not installed; `run` runs it.
    static std::unique_ptr<WirelessInterface> first(const std::filesystem::path& sysRoot,
                                                     const std::filesystem::path& procRoot,
                                                     std::optional<std::string> iwPath,
                                                     CommandRunner run);
    // The same on the live system.
    static std::unique_ptr<WirelessInterface> first();

    const std::string& name() const { return name_; }

    int rssiValue() override;
    int noiseMeasurement() override;
    double transmitRate() override;
    std::optional<int> channelBand() override;

private:
    struct Levels {
        int signal = 0;
        int noise = 0;
    };
    struct LinkReport {
        double rateMbps = 0;
        std::optional<int> band;
    };

    WirelessInterface(std::string name, std::filesystem::path procRoot,
                      std::optional<std::string> iwPath, CommandRunner run);
    Levels levels() const;
    // iw is run once per interface object; rate and band come from the same report.
    const LinkReport& link();

    std::string name_;
    std::filesystem::path procRoot_;
    std::optional<std::string> iwPath_;
    CommandRunner run_;
    std::optional<LinkReport> link_;
};

} // namespace corvane
