#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// What the machine says about itself: its architecture, model name, processor and
// installed memory. Every function takes the root of the file tree ("/" on a live
// system) so tests can hand it a fake one; a value that cannot be read is empty or 0.
namespace corvane::HardwareInfo {

// True on a 64-bit ARM machine, from proc/sys/kernel/arch, else the running kernel's name.
bool isArm64(const std::filesystem::path& root = "/");

// The DMI product name, else the device-tree model (up to its first zero byte), as UTF-8.
std::string machineModel(const std::filesystem::path& root = "/");

// The first "model name" of proc/cpuinfo, as UTF-8.
std::string cpuModel(const std::filesystem::path& root = "/");

// MemTotal of proc/meminfo in bytes.
int64_t physicalMemory(const std::filesystem::path& root = "/");

} // namespace corvane::HardwareInfo
